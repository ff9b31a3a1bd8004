#include "common/StringUtils.h"

#include <fmt/format.h>

#include <cctype>
#include <limits>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavCommon::StringUtils {

namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const int lower = std::tolower(static_cast<unsigned char>(c));
    if (lower >= 'a' && lower <= 'z') {
        return lower - 'a' + 10;
    }
    return std::numeric_limits<int>::max();
}

}  // namespace

std::string Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool ParseBool(std::string_view text) {
    if (text == "1") {
        return true;
    }
    if (text == "0") {
        return false;
    }
    TAV_THROW(ElvarinException, fmt::format("Invalid boolean string: \"{}\"", text));
}

int32_t ParseInt(std::string_view text, int base) {
    std::string_view digits = text;
    const bool negative = !digits.empty() && digits.front() == '-';
    if (negative) {
        digits.remove_prefix(1);
    }
    bool valid = !digits.empty() && base >= 2 && base <= 36;
    uint64_t magnitude = 0;
    for (const char c : digits) {
        const int digit = DigitValue(c);
        if (!valid || digit >= base) {
            valid = false;
            break;
        }
        magnitude = magnitude * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (magnitude > std::numeric_limits<uint32_t>::max()) {
            valid = false;
        }
    }
    const uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
    if (!valid || magnitude > limit) {
        TAV_THROW(ElvarinException, fmt::format("Invalid integer string: \"{}\"", text));
    }
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude)) : static_cast<int32_t>(magnitude);
}

std::string ToHex(uint32_t value, int width) { return fmt::format("{:0{}X}", value, width < 0 ? 0 : width); }

std::string Join(const std::vector<std::string>& texts, std::string_view separator) {
    std::string joined;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i != 0) {
            joined += separator;
        }
        joined += texts[i];
    }
    return joined;
}

std::vector<std::string> Split(std::string_view text, std::string_view delimiter) {
    if (delimiter.empty()) {
        TAV_THROW(ElvarinException, "Split requires a non-empty delimiter");
    }
    std::vector<std::string> pieces;
    while (!text.empty()) {
        const auto found = text.find(delimiter);
        if (found == std::string_view::npos) {
            pieces.emplace_back(text);
            break;
        }
        pieces.emplace_back(text.substr(0, found));
        text.remove_prefix(found + delimiter.size());
    }
    return pieces;
}

std::string ToLower(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lowered;
}

}  // namespace TavCommon::StringUtils
