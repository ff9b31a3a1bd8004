#include "serialBinary/SerialBinaryConfigurationBlock.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>

#include "core/ProtocolException.h"
#include "core/ReplyReader.h"

namespace TavProtocol::SerialBinaryConfigurationBlock {

namespace {

constexpr std::size_t kBlockLength = 8;

[[noreturn]] void Fail(const std::string& message, CheckSite site) {
    throw ProtocolException(message, site.file, site.line, site.function);
}

}  // namespace

std::vector<uint8_t> ReadFrame(int block) {
    return {0xFA, 0x01, static_cast<uint8_t>(block - 1), 0x00, static_cast<uint8_t>(kBlockLength)};
}

std::vector<uint8_t> WriteFrame(int block, const std::vector<uint8_t>& encoded) {
    std::vector<uint8_t> frame = ReadFrame(block);
    frame[1] = 0x81;
    frame.resize(frame.size() + encoded.size());
    std::copy(encoded.begin(), encoded.end(), frame.end() - static_cast<std::ptrdiff_t>(encoded.size()));
    return frame;
}

void ValidateRead(const std::vector<std::vector<uint8_t>>& replies, int32_t phrasesProduced, int block,
                  CheckSite site) {
    if (phrasesProduced != 1) {
        Fail(fmt::format("Attempted to get result of Get Configuration block {} before all responses were received",
                         block),
             site);
    }
    if (replies.empty() || replies.front().empty()) {
        Fail(fmt::format("Get Configuration block {} command response was empty.", block), site);
    }
    ReplyReader(replies.front(),
                fmt::format("Invalid ACK data received from reader after Get Configuration block {} command", block),
                site)
        .Expect(0, {0x01})
        .Expect(1 + kBlockLength, {0x90, 0x00});
}

std::vector<uint8_t> BlockBytes(const std::vector<std::vector<uint8_t>>& replies, int block, CheckSite site) {
    const auto bytes =
        ReplyReader::Of(
            replies, 0,
            fmt::format("Invalid ACK data received from reader after Get Configuration block {} command", block), site)
            .Bytes(1, kBlockLength);
    return {bytes.begin(), bytes.end()};
}

void ValidateWrite(const std::vector<std::vector<uint8_t>>& replies, int32_t phrasesProduced, int block,
                   CheckSite site) {
    if (phrasesProduced != 1) {
        Fail(
            fmt::format("Attempted to get result of SetConfigurationBlock{} before all responses were received", block),
            site);
    }
    if (replies.empty() || replies.front().empty()) {
        Fail(fmt::format("SetConfigurationBlock{} command response was empty.", block), site);
    }
    ReplyReader(replies.front(),
                fmt::format("Invalid ACK data received from reader after SetConfigurationBlock{} command", block), site)
        .Expect(0, {0x81, 0x90, 0x00});
}

}  // namespace TavProtocol::SerialBinaryConfigurationBlock
