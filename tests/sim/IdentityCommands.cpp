// Feature-report identity and versions.
//   8C 05 k           ESN bytes 8k to 8k + 7 (k = 0-3)
//   8C 01 k           part number bytes 8k to 8k + 7 (k = 0-2), zero-padded
//   8C 04 index k     string `index` (1-8) with its terminating zero, bytes 8k to 8k + 7
//   89 03 class type  firmware version: 89 03 class type, then the version bytes; class 0 control,
//                     1 radio (by module type), 4 SAM (by selector), 2 Bluetooth: major, minor,
//                     build high, build low
//   89 04 k           supported card types, page k: codes 4k to 4k + 3, low byte first; a 0 code
//                     ends the list
//   89 05             hardware: installed flags in bytes 0-3, supported flags in bytes 4-7
//   89 06             uptime in bytes 0-3
// Multi-byte numbers are sent low byte first unless said otherwise.
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

void PutLittleEndian32(std::vector<uint8_t>& reply, std::size_t offset, uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        reply[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

void ReplyVersion(PhraseExchange& exchange, const std::map<uint8_t, FirmwareVersion>& versions) {
    const uint8_t key = exchange.Byte(3);
    const auto found = versions.find(key);
    const FirmwareVersion version = found == versions.end() ? FirmwareVersion{} : found->second;
    exchange.ReplyPadded({0x89, 0x03, exchange.Byte(2), key, version.version[0], version.version[1], version.version[2],
                          version.version[3]});
}

void FillIdentityCommands(PhraseHandlerTable& table) {
    table.Add({0x8C, 0x05}, [](PhraseExchange& exchange) {
        const auto& esn = exchange.Model().esn;
        exchange.ReplySlice(std::vector<uint8_t>(esn.begin(), esn.end()), 8 * std::size_t{exchange.Byte(2)});
    });
    table.Add({0x8C, 0x01}, [](PhraseExchange& exchange) {
        const auto& partNumber = exchange.Model().partNumber;
        exchange.ReplySlice(std::vector<uint8_t>(partNumber.begin(), partNumber.end()),
                            8 * std::size_t{exchange.Byte(2)});
    });
    table.Add({0x8C, 0x04}, [](PhraseExchange& exchange) {
        const uint8_t index = exchange.Byte(2);
        std::vector<uint8_t> text;
        if (index >= 1 && index <= exchange.Model().strings.size()) {
            const auto& string = exchange.Model().strings[index - 1];
            text.assign(string.begin(), string.end());
        }
        text.push_back(0);
        exchange.ReplySlice(text, 8 * std::size_t{exchange.Byte(3)});
    });
    table.Add({0x89, 0x03}, [](PhraseExchange& exchange) {
        const auto& model = exchange.Model();
        switch (exchange.Byte(2)) {
        case 0:
            ReplyVersion(exchange, model.controlFirmware);
            return;
        case 1:
            ReplyVersion(exchange, model.radioFirmware);
            return;
        case 4:
            ReplyVersion(exchange, model.samFirmware);
            return;
        case 2: {
            const auto& bluetooth = model.bluetoothFirmware;
            exchange.ReplyPadded({0x89, 0x03, 0x02, exchange.Byte(3), bluetooth.major, bluetooth.minor,
                                  static_cast<uint8_t>(bluetooth.build >> 8),
                                  static_cast<uint8_t>(bluetooth.build & 0xFF)});
            return;
        }
        default:
            exchange.ReplyPadded({});
        }
    });
    table.Add({0x89, 0x04}, [](PhraseExchange& exchange) {
        const auto& codes = exchange.Model().supportedCardTypes;
        std::vector<uint8_t> reply(8, 0);
        const std::size_t first = 4 * std::size_t{exchange.Byte(2)};
        for (std::size_t i = 0; i < 4 && first + i < codes.size(); ++i) {
            reply[2 * i] = static_cast<uint8_t>(codes[first + i] & 0xFF);
            reply[2 * i + 1] = static_cast<uint8_t>(codes[first + i] >> 8);
        }
        exchange.Reply(std::move(reply));
    });
    table.Add({0x89, 0x05}, [](PhraseExchange& exchange) {
        std::vector<uint8_t> reply(8, 0);
        PutLittleEndian32(reply, 0, exchange.Model().hardwareInstalled);
        PutLittleEndian32(reply, 4, exchange.Model().hardwareSupported);
        exchange.Reply(std::move(reply));
    });
    table.Add({0x89, 0x06}, [](PhraseExchange& exchange) {
        std::vector<uint8_t> reply(8, 0);
        PutLittleEndian32(reply, 0, exchange.Model().uptimeSeconds);
        exchange.Reply(std::move(reply));
    });
}

const CommandRegistrar registrar(FeatureReportCommands(), FillIdentityCommands);

}  // namespace

}  // namespace TavSim
