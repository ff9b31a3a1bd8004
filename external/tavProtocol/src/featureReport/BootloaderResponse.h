#pragma once

#include <cstdint>
#include <vector>

namespace TavProtocol {

// One decoded reply of the reader's bootloader: a return code, the delay class and the delay the
// bootloader asks for before the next phrase.
struct BootloaderResponse {
    static constexpr uint8_t kReturnCodeOk = '.';
    static constexpr uint8_t kReturnCodeBadCheckByte = '2';
    static constexpr uint8_t kReturnCodeBadSegmentRecord = '4';
    static constexpr uint8_t kReturnCodeNoReplies = 'E';

    static constexpr uint8_t kDelayShort = '>';
    static constexpr uint8_t kDelayLong = ';';
    static constexpr uint8_t kDelayDefault = 0;
    static constexpr uint8_t kDelayGiven = 'W';

    BootloaderResponse() = default;
    // Decodes an 8-byte reply: 01, return code, delay class, delay (little-endian, for 'W').
    explicit BootloaderResponse(const std::vector<uint8_t>& reply);

    uint8_t ReturnCode = 0;
    uint8_t DelayClass = 0;
    uint16_t DelayMilliseconds = 0;
};

}  // namespace TavProtocol
