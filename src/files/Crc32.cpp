#include "files/Crc32.h"

#include "common/StringUtils.h"

namespace {

// Built by the compiler: there is nothing to initialise at load time and nothing to race on.
constexpr Crc32Table kCrc32Table = [] {
    Crc32Table table{};
    BuildCrc32Table(table);
    return table;
}();

static_assert(kCrc32Table[1] == 0x77073096u && kCrc32Table[255] == 0x2D02EF8Du);

}  // namespace

std::string CalculateCrc32(std::span<const uint8_t> bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (const uint8_t b : bytes) {
        c = kCrc32Table[(c ^ b) & 0xFFu] ^ (c >> 8);
    }
    return TavCommon::StringUtils::ToHex(~c, 8);
}

std::string CalculateCrc32(std::string_view text) {
    return CalculateCrc32(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}
