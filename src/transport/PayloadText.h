#pragma once

#include <fmt/format.h>

#include <cstdint>
#include <span>
#include <string_view>

namespace TavTransport {

// Log views of a phrase's bytes. They are formatted only when the log line is written, so a
// transport whose log level is off never builds the text.

// Each byte as "0x{:02x}", joined by the separator.
struct HexBytes {
    std::span<const uint8_t> bytes;
    std::string_view separator;
};

// Each byte as its character when printable, "." otherwise, with no separator.
struct AsciiBytes {
    std::span<const uint8_t> bytes;
};

}  // namespace TavTransport

template <>
struct fmt::formatter<TavTransport::HexBytes> : fmt::formatter<std::string_view> {
    template <typename FormatContext>
    auto format(const TavTransport::HexBytes& view, FormatContext& context) const {
        auto out = context.out();
        bool first = true;
        for (const uint8_t byte : view.bytes) {
            if (!first) {
                out = fmt::format_to(out, "{}", view.separator);
            }
            first = false;
            out = fmt::format_to(out, "0x{:02x}", byte);
        }
        return out;
    }
};

template <>
struct fmt::formatter<TavTransport::AsciiBytes> : fmt::formatter<std::string_view> {
    template <typename FormatContext>
    auto format(const TavTransport::AsciiBytes& view, FormatContext& context) const {
        auto out = context.out();
        for (const uint8_t byte : view.bytes) {
            *out++ = (byte >= 0x20 && byte < 0x7F) ? static_cast<char>(byte) : '.';
        }
        return out;
    }
};
