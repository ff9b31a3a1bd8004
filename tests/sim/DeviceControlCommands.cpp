// Feature-report device control.
//   8C 03 c               beep: c is the count, bit 7 set for long beeps; echoed
//   8C 06                 beeper volume: 8C 06 volume
//   8C 86 v               set the volume; acknowledged with the read's sub-code, 8C 06
//   8C 0B action module s module state: action 2 sets state s; the answer is 8C 0B FF module state
//   8C 80 e               transparent mode on (1) or off (0): the request echoed
//   8C 00                 transparent mode: 8C 00 state status
//   F0 module             bootloader mode: 01 '.' x, the bootloader's own format; every later phrase
//                         goes to the bootloader (Bootloader.h)
// A reader without transparent mode answers both transparent-mode commands with zero bytes.
#include <cstdint>
#include <span>
#include <vector>

#include "sim/Bootloader.h"
#include "sim/CommandTables.h"

namespace TavSim {

namespace {

void Echo(PhraseExchange& exchange) {
    const std::span<const uint8_t> phrase = exchange.Phrase();
    std::vector<uint8_t> reply(phrase.begin(), phrase.end());
    reply.resize(8, 0);
    exchange.Reply(std::move(reply));
}

void FillDeviceControlCommands(PhraseHandlerTable& table) {
    table.Add({0x8C, 0x03}, [](PhraseExchange& exchange) {
        exchange.Model().beeps.push_back(exchange.Byte(2));
        Echo(exchange);
    });
    table.Add({0x8C, 0x06}, [](PhraseExchange& exchange) {
        exchange.ReplyPadded({0x8C, 0x06, exchange.Model().beeperVolume});
    });
    table.Add({0x8C, 0x86}, [](PhraseExchange& exchange) {
        exchange.Model().beeperVolume = exchange.Byte(2);
        exchange.ReplyPadded({0x8C, 0x06});
    });
    table.Add({0x8C, 0x0B}, [](PhraseExchange& exchange) {
        auto& states = exchange.Model().moduleStates;
        const uint8_t module = exchange.Byte(3);
        if (exchange.Byte(2) == 2) {
            states[module] = exchange.Byte(4);
        }
        exchange.ReplyPadded({0x8C, 0x0B, 0xFF, module, states[module]});
    });
    table.Add({0x8C, 0x80}, [](PhraseExchange& exchange) {
        auto& model = exchange.Model();
        if (!model.transparentModeSupported) {
            exchange.ReplyPadded({});
            return;
        }
        model.transparentModeState = exchange.Byte(2);
        Echo(exchange);
    });
    table.Add({0x8C, 0x00}, [](PhraseExchange& exchange) {
        const auto& model = exchange.Model();
        if (!model.transparentModeSupported) {
            exchange.ReplyPadded({});
            return;
        }
        exchange.ReplyPadded({0x8C, 0x00, model.transparentModeState, model.transparentModeStatus});
    });
    table.Add({0xF0}, [](PhraseExchange& exchange) {
        auto& model = exchange.Model();
        model.bootloaderMode = true;
        model.bootloaderModule = exchange.Byte(1);
        exchange.ReplyPadded({0x01, '.', model.bootloaderReadyByte});
        exchange.EnterMode(TakeFirmwarePhrase);
    });
}

const CommandRegistrar registrar(FeatureReportCommands(), FillDeviceControlCommands);

}  // namespace

}  // namespace TavSim
