// Feature-report MIFARE writer, code 0x88 and a sub-code: 0x81 create application, 0x82 change
// key, 0x83 create file, 0x87 format card, 0x88 status. Every reply echoes code and sub-code; the
// writing commands answer with an error code in byte 2 (0: done), the status read with its four
// status bytes in bytes 2-5.
#include <array>
#include <cstdint>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

// Runs the write when the writer is to succeed, and answers with its error code.
template <typename Write>
void WritingCommand(PhraseExchange& exchange, Write write) {
    const uint8_t code = exchange.Model().mifareWriterErrorCode;
    if (code == 0) {
        write(exchange.Model());
    }
    exchange.ReplyPadded({0x88, exchange.Byte(1), code});
}

void FillMifareWriterCommands(PhraseHandlerTable& table) {
    table.Add({0x88, 0x81}, [](PhraseExchange& exchange) {
        WritingCommand(exchange, [&exchange](DeviceModel& model) {
            model.mifareApplications.push_back(
                {.aid = static_cast<uint32_t>(exchange.Byte(2) << 16 | exchange.Byte(3) << 8 | exchange.Byte(4)),
                 .byte4 = exchange.Byte(5),
                 .cardKeyNo = static_cast<uint8_t>(exchange.Byte(6) >> 4),
                 .operationType = static_cast<uint8_t>(exchange.Byte(6) & 0x0F),
                 .keyType = exchange.Byte(7)});
        });
    });
    table.Add({0x88, 0x82}, [](PhraseExchange& exchange) {
        WritingCommand(exchange, [&exchange](DeviceModel& model) {
            model.mifareKeyChanges.push_back({exchange.Byte(2), exchange.Byte(3), exchange.Byte(4), exchange.Byte(5)});
        });
    });
    table.Add({0x88, 0x83}, [](PhraseExchange& exchange) {
        WritingCommand(exchange, [&exchange](DeviceModel& model) {
            model.mifareFiles.push_back({exchange.Byte(2), exchange.Byte(3), exchange.Byte(4), exchange.Byte(5),
                                         exchange.Byte(6), exchange.Byte(7)});
        });
    });
    table.Add({0x88, 0x87}, [](PhraseExchange& exchange) {
        WritingCommand(exchange, [](DeviceModel& model) { ++model.mifareCardFormats; });
    });
    table.Add({0x88, 0x88}, [](PhraseExchange& exchange) {
        const auto& status = exchange.Model().mifareWriterStatus;
        exchange.ReplyPadded({0x88, 0x88, status[0], status[1], status[2], status[3]});
    });
}

const CommandRegistrar registrar(FeatureReportCommands(), FillMifareWriterCommands);

}  // namespace

}  // namespace TavSim
