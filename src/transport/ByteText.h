#pragma once

#include <fmt/format.h>

#include <cstdint>
#include <span>
#include <string_view>

namespace TavTransport {

// Bytes for a log line, formatted only when the line is written: "0x0a" each, joined by the separator.
struct HexBytes {
    std::span<const uint8_t> bytes;
    std::string_view separator;
};

// Bytes for a log line as characters: printable ASCII as itself, anything else as ".".
struct AsciiBytes {
    std::span<const uint8_t> bytes;
};

}  // namespace TavTransport

template <>
struct fmt::formatter<TavTransport::HexBytes> : fmt::formatter<std::string_view> {
    template <typename FormatContext>
    auto format(const TavTransport::HexBytes& text, FormatContext& context) const {
        auto out = context.out();
        bool first = true;
        for (const uint8_t byte : text.bytes) {
            if (!first) {
                out = fmt::format_to(out, "{}", text.separator);
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
    auto format(const TavTransport::AsciiBytes& text, FormatContext& context) const {
        auto out = context.out();
        for (const uint8_t byte : text.bytes) {
            *out++ = (byte >= 0x20 && byte <= 0x7E) ? static_cast<char>(byte) : '.';
        }
        return out;
    }
};
