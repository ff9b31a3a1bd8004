// Feature-report BLE radio settings: 8C 07 reads them (Flags, TapInRssi, TxPower in bytes 2-4),
// 8C 87 writes them from bytes 2-4 and is answered 8C 87 with the reader's byte in byte 2.
#include <cstdint>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

// What the reader answers in byte 2 of a write's acknowledgement.
constexpr uint8_t kWriteAcknowledgement = 0x01;

void FillBleConfigurationCommands(PhraseHandlerTable& table) {
    table.Add({0x8C, 0x07}, [](PhraseExchange& exchange) {
        const auto& settings = exchange.Model().bleConfiguration;
        exchange.ReplyPadded({0x8C, 0x07, settings[0], settings[1], settings[2]});
    });
    table.Add({0x8C, 0x87}, [](PhraseExchange& exchange) {
        auto& settings = exchange.Model().bleConfiguration;
        settings[0] = exchange.Byte(2);
        settings[1] = exchange.Byte(3);
        settings[2] = exchange.Byte(4);
        exchange.ReplyPadded({0x8C, 0x87, kWriteAcknowledgement});
    });
}

const CommandRegistrar registrar(FeatureReportCommands(), FillBleConfigurationCommands);

}  // namespace

}  // namespace TavSim
