// Serial-binary device control: beeper, active configuration, configuration copies, LUID.
#include <array>
#include <cstdint>
#include <vector>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

// 09, the sub-command, active, count, 00, the 16-bit value (high byte first), the last value, 90 00.
void ReplyActiveConfiguration(PhraseExchange& exchange, uint8_t subCommand) {
    const auto& model = exchange.Model();
    exchange.Reply({0x09, subCommand, model.activeConfiguration, model.configurationCount, 0x00,
                    static_cast<uint8_t>(model.activeConfigurationWord >> 8),
                    static_cast<uint8_t>(model.activeConfigurationWord & 0xFF), model.activeConfigurationLastByte, 0x90,
                    0x00});
}

void FillControlCommands(PhraseHandlerTable& table) {
    // Beep: FA 0C 03 count 00 (bit 7: long beeps) -> the status word alone.
    table.Add({0xFA, 0x0C, 0x03}, [](PhraseExchange& exchange) {
        exchange.Model().beeps.push_back(exchange.Byte(3));
        exchange.Reply({0x90, 0x00});
    });

    // Beeper volume: FA 0C 06 00 00 -> 0C volume; FA 0C 86 volume 00 00 -> 0C 90 00.
    table.Add({0xFA, 0x0C, 0x06}, [](PhraseExchange& exchange) {
        exchange.Reply({0x0C, exchange.Model().beeperVolume});
    });
    table.Add({0xFA, 0x0C, 0x86}, [](PhraseExchange& exchange) {
        exchange.Model().beeperVolume = exchange.Byte(3);
        exchange.Reply({0x0C, 0x90, 0x00});
    });

    // Active configuration: FA 09 01 00 00 and FA 09 81 n 00 (n becomes active).
    table.Add({0xFA, 0x09, 0x01}, [](PhraseExchange& exchange) { ReplyActiveConfiguration(exchange, 0x01); });
    table.Add({0xFA, 0x09, 0x81}, [](PhraseExchange& exchange) {
        auto& model = exchange.Model();
        const uint8_t configuration = exchange.Byte(3);
        if (configuration >= model.configurationCount) {
            exchange.Reply({0x6B, 0x00});
            return;
        }
        model.activeConfiguration = configuration;
        ReplyActiveConfiguration(exchange, 0x81);
    });

    // Configuration copy: FA 09 82 source destination a b -> 09 00 source destination a b 90 00.
    table.Add({0xFA, 0x09, 0x82}, [](PhraseExchange& exchange) {
        const std::array<uint8_t, 4> parameters{exchange.Byte(3), exchange.Byte(4), exchange.Byte(5), exchange.Byte(6)};
        exchange.Model().configurationCopies.push_back(parameters);
        exchange.Reply({0x09, 0x00, parameters[0], parameters[1], parameters[2], parameters[3], 0x90, 0x00});
    });

    // LUID: FA 05 00 00 08 -> 05, the LUID low byte first, four zero bytes, the LUID high byte
    // first, 90 00. FA 06 00 00 02 -> 06; then the two LUID bytes alone -> 90 00.
    table.Add({0xFA, 0x05}, [](PhraseExchange& exchange) {
        const auto low = static_cast<uint8_t>(exchange.Model().luid);
        const auto high = static_cast<uint8_t>(exchange.Model().luid >> 8);
        exchange.Reply({0x05, low, high, 0x00, 0x00, 0x00, 0x00, high, low, 0x90, 0x00});
    });
    table.Add({0xFA, 0x06}, [](PhraseExchange& exchange) {
        exchange.Reply({0x06});
        exchange.ContinueWith([](PhraseExchange& data) {
            data.Model().luid = static_cast<uint16_t>(data.Byte(0) | (data.Byte(1) << 8));
            data.Reply({0x90, 0x00});
        });
    });
}

const CommandRegistrar registrar(SerialBinaryCommands(), FillControlCommands);

}  // namespace

}  // namespace TavSim
