// MFP24 readers: every request and reply is 24 ASCII characters ending in a carriage return.
// A reply begins with 'R' (accepted) or 'E' (error packet), echoes the request's letters, and
// carries its data as characters up to byte 22.
//
// BS/BL and a digit: beep (short/long) that many times. BV and a digit: beeper volume.
// FD, FR, FW: copy configuration 2 to 0, 1 to 0, 0 to 1. QSX05: Bluetooth firmware version (major
// and minor as four hexadecimal digits each). QSX07: installed (8 digits) and supported (8 digits)
// hardware. QRZ01: part number, blank-filled. QCT and a page in two hexadecimal digits: five card
// types of four digits, "0000" after the last.
#include <fmt/format.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

constexpr std::size_t kPhraseLength = 24;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr std::size_t kCardTypesPerPage = 5;

// 'R' (or 'E'), the request's first `echo` bytes after its first letter, the data, '0' up to
// byte 22, the carriage return.
void Answer(PhraseExchange& exchange, std::size_t echo, std::string_view data, bool error = false) {
    std::vector<uint8_t> reply(kPhraseLength, '0');
    reply[0] = error ? 'E' : 'R';
    for (std::size_t i = 1; i <= echo; ++i) {
        reply[i] = exchange.Byte(i);
    }
    for (std::size_t i = 0; i < data.size() && echo + 1 + i < kPhraseLength - 1; ++i) {
        reply[echo + 1 + i] = static_cast<uint8_t>(data[i]);
    }
    reply.back() = kCarriageReturn;
    exchange.Reply(std::move(reply));
}

int Digit(uint8_t character) { return character - '0'; }

int HexDigit(uint8_t character) {
    if (character >= '0' && character <= '9') {
        return character - '0';
    }
    if (character >= 'A' && character <= 'F') {
        return character - 'A' + 10;
    }
    return -1;
}

// Adds a command whose error packet the test can ask for through mfp24ErrorPackets.
template <typename Handler>
void Add(PhraseHandlerTable& table, std::string_view letters, Handler handler) {
    table.Add(std::vector<uint8_t>(letters.begin(), letters.end()),
              [command = std::string(letters), handler](PhraseExchange& exchange) {
                  if (exchange.Model().mfp24ErrorPackets.count(command) != 0) {
                      Answer(exchange, command.size() - 1, "", true);
                      return;
                  }
                  handler(exchange);
              });
}

void CopyConfiguration(PhraseExchange& exchange, std::size_t source, std::size_t destination) {
    auto& configurations = exchange.Model().configurations;
    configurations.at(destination) = configurations.at(source);
    Answer(exchange, 1, "");
}

void FillMfp24Commands(PhraseHandlerTable& table) {
    for (const char duration : {'S', 'L'}) {
        Add(table, duration == 'S' ? "BS" : "BL", [duration](PhraseExchange& exchange) {
            const auto count = static_cast<uint8_t>(Digit(exchange.Byte(2)));
            exchange.Model().beeps.push_back(duration == 'L' ? static_cast<uint8_t>(count | 0x80) : count);
            Answer(exchange, 2, "");
        });
    }
    Add(table, "BV", [](PhraseExchange& exchange) {
        exchange.Model().beeperVolume = static_cast<uint8_t>(Digit(exchange.Byte(2)));
        Answer(exchange, 2, "");
    });
    Add(table, "FD", [](PhraseExchange& exchange) { CopyConfiguration(exchange, 2, 0); });
    Add(table, "FR", [](PhraseExchange& exchange) { CopyConfiguration(exchange, 1, 0); });
    Add(table, "FW", [](PhraseExchange& exchange) { CopyConfiguration(exchange, 0, 1); });
    Add(table, "QSX05", [](PhraseExchange& exchange) {
        const auto& firmware = exchange.Model().bluetoothFirmware;
        Answer(exchange, 4, fmt::format("{:04X}{:04X}", firmware.major, firmware.minor));
    });
    Add(table, "QSX07", [](PhraseExchange& exchange) {
        Answer(exchange, 4,
               fmt::format("{:08X}{:08X}", exchange.Model().hardwareInstalled, exchange.Model().hardwareSupported));
    });
    Add(table, "QRZ01", [](PhraseExchange& exchange) {
        std::string text = exchange.Model().partNumber;
        text.resize(kPhraseLength - 4, ' ');
        Answer(exchange, 2, text);
    });
    Add(table, "QCT", [](PhraseExchange& exchange) {
        const int high = HexDigit(exchange.Byte(3));
        const int low = HexDigit(exchange.Byte(4));
        if (high < 0 || low < 0) {
            Answer(exchange, 4, "", true);
            return;
        }
        const auto& cards = exchange.Model().supportedCardTypes;
        std::string groups;
        for (std::size_t i = 0; i < kCardTypesPerPage; ++i) {
            const std::size_t position = static_cast<std::size_t>(high * 16 + low) * kCardTypesPerPage + i;
            groups += fmt::format("{:04X}", position < cards.size() ? cards[position] : 0);
        }
        Answer(exchange, 2, groups);
    });
}

const CommandRegistrar registrar(Mfp24Commands(), FillMfp24Commands);

}  // namespace

}  // namespace TavSim
