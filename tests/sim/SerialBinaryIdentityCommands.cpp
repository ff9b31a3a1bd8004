// Serial-binary identity, version and baud-rate reads. Replies start with the instruction
// echoed; in the 0x09 group the sub-command follows it. The ESN, part number and baud-rate
// replies carry no status word.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

constexpr std::size_t kChunk = 8;

// Bytes [offset, offset + kChunk) of the text, zero past its end.
std::vector<uint8_t> Chunk(const std::vector<uint8_t>& bytes, std::size_t offset) {
    std::vector<uint8_t> chunk(kChunk, 0x00);
    for (std::size_t i = 0; i < kChunk && offset + i < bytes.size(); ++i) {
        chunk[i] = bytes[offset + i];
    }
    return chunk;
}

void Append(std::vector<uint8_t>& reply, const std::vector<uint8_t>& bytes) {
    reply.insert(reply.end(), bytes.begin(), bytes.end());
}

void AppendLittleEndian32(std::vector<uint8_t>& reply, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        reply.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void FillIdentityCommands(PhraseHandlerTable& table) {
    // ESN: FA 08 part 00 00, four parts of eight bytes and a fifth that is empty.
    table.Add({0xFA, 0x08}, [](PhraseExchange& exchange) {
        const auto& esn = exchange.Model().esn;
        std::vector<uint8_t> reply{0x08};
        if (const std::size_t part = exchange.Byte(2); part < esn.size() / kChunk) {
            Append(reply, Chunk(std::vector<uint8_t>(esn.begin(), esn.end()), part * kChunk));
        }
        exchange.Reply(std::move(reply));
    });

    // Part number: FA 0C 01 part 00, three parts of at most eight characters.
    table.Add({0xFA, 0x0C, 0x01}, [](PhraseExchange& exchange) {
        const std::string& text = exchange.Model().partNumber;
        std::vector<uint8_t> reply{0x0C};
        Append(reply, Chunk(std::vector<uint8_t>(text.begin(), text.end()), std::size_t{exchange.Byte(3)} * kChunk));
        exchange.Reply(std::move(reply));
    });

    // Strings: FA 0C 04 index phrase, eight characters per phrase up to the terminating zero.
    table.Add({0xFA, 0x0C, 0x04}, [](PhraseExchange& exchange) {
        const uint8_t index = exchange.Byte(3);
        if (index < 1 || index > exchange.Model().strings.size()) {
            exchange.Reply({0x6B, 0x00});  // no such string
            return;
        }
        const std::string& text = exchange.Model().strings[index - 1u];
        std::vector<uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0x00);
        const std::size_t offset = std::size_t{exchange.Byte(4)} * kChunk;
        if (offset >= bytes.size()) {
            exchange.Reply({0x67, 0x00});  // past the string's end
            return;
        }
        std::vector<uint8_t> reply{0x0C};
        const auto end = bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), offset + kChunk));
        reply.insert(reply.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), end);
        exchange.Reply(std::move(reply));
    });

    // Firmware versions: FA 09 03 class module, class 0 control and 1 radio -> the feature-report
    // reply's bytes behind the echo (the class and module echoed, four version bytes), then 90 00.
    table.Add({0xFA, 0x09, 0x03}, [](PhraseExchange& exchange) {
        const uint8_t requestedClass = exchange.Byte(3);
        const uint8_t module = exchange.Byte(4);
        const auto& versions = requestedClass == 0 ? exchange.Model().controlFirmware : exchange.Model().radioFirmware;
        const auto found = versions.find(module);
        const FirmwareVersion version = found == versions.end() ? FirmwareVersion{} : found->second;
        exchange.Reply({0x09, 0x03, requestedClass, module, version.version[0], version.version[1], version.version[2],
                        version.version[3], 0x90, 0x00});
    });

    // Installed hardware: FA 09 05 00 00 -> 09 05, installed flags, supported flags, 90 00.
    table.Add({0xFA, 0x09, 0x05}, [](PhraseExchange& exchange) {
        std::vector<uint8_t> reply{0x09, 0x05};
        AppendLittleEndian32(reply, exchange.Model().hardwareInstalled);
        AppendLittleEndian32(reply, exchange.Model().hardwareSupported);
        Append(reply, {0x90, 0x00});
        exchange.Reply(std::move(reply));
    });

    // Supported cards: FA 09 04 page 00 -> 09 04 page, four codes, 90 00. Zero codes pad the
    // last page (a full last page is followed by an empty one): two zero bytes end the list.
    table.Add({0xFA, 0x09, 0x04}, [](PhraseExchange& exchange) {
        const auto& codes = exchange.Model().supportedCardTypes;
        const uint8_t page = exchange.Byte(3);
        std::vector<uint8_t> reply{0x09, 0x04, page};
        for (std::size_t i = 0; i < 4; ++i) {
            const std::size_t at = std::size_t{page} * 4 + i;
            const uint16_t code = at < codes.size() ? codes[at] : 0;
            reply.push_back(static_cast<uint8_t>(code));
            reply.push_back(static_cast<uint8_t>(code >> 8));
        }
        Append(reply, {0x90, 0x00});
        exchange.Reply(std::move(reply));
    });

    // Uptime: FA 09 06 00 00 -> 09 06, seconds, 90 00.
    table.Add({0xFA, 0x09, 0x06}, [](PhraseExchange& exchange) {
        std::vector<uint8_t> reply{0x09, 0x06};
        AppendLittleEndian32(reply, exchange.Model().uptimeSeconds);
        Append(reply, {0x90, 0x00});
        exchange.Reply(std::move(reply));
    });

    // Baud rate: FA 0D 01 00 00 -> 0D code; FA 0D 81 code 00 -> 0D 90 00, codes 0-4.
    table.Add({0xFA, 0x0D, 0x01}, [](PhraseExchange& exchange) {
        exchange.Reply({0x0D, exchange.Model().baudRateCode});
    });
    table.Add({0xFA, 0x0D, 0x81}, [](PhraseExchange& exchange) {
        const uint8_t code = exchange.Byte(3);
        if (code > 4) {
            exchange.Reply({0x0D, 0x6B, 0x00});
            return;
        }
        exchange.Model().baudRateCode = code;
        exchange.Reply({0x0D, 0x90, 0x00});
    });
}

const CommandRegistrar registrar(SerialBinaryCommands(), FillIdentityCommands);

}  // namespace

}  // namespace TavSim
