#include "files/FileInputText.h"

#include <fmt/format.h>

#include <algorithm>

#include "common/StringUtils.h"

namespace TavFiles {

namespace {

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// Short and without control characters: quoted as it stands.
bool IsQuotable(std::string_view text) {
    if (text.size() > kQuotedInputLimit) {
        return false;
    }
    for (const char c : text) {
        if (IsControl(c)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string PrintableExcerpt(std::string_view text) {
    std::string excerpt;
    excerpt.reserve(std::min(text.size(), kQuotedInputLimit) + 8);
    for (const char c : text) {
        if (excerpt.size() >= kQuotedInputLimit) {
            excerpt += "...";
            break;
        }
        if (IsControl(c)) {
            excerpt += fmt::format("\\x{:02X}", static_cast<unsigned char>(c));
        } else {
            excerpt += c;
        }
    }
    return excerpt;
}

// An excerpt of a text that is not quotable holds "\" or "...", so it fails the same parse and
// the failure quotes the excerpt instead of the text.
bool ParseFileBool(std::string_view text) {
    return IsQuotable(text) ? TavCommon::StringUtils::ParseBool(text)
                            : TavCommon::StringUtils::ParseBool(PrintableExcerpt(text));
}

int32_t ParseFileInt(std::string_view text, int base) {
    return IsQuotable(text) ? TavCommon::StringUtils::ParseInt(text, base)
                            : TavCommon::StringUtils::ParseInt(PrintableExcerpt(text), base);
}

uint32_t ParseFieldNumber(std::string_view text, int base, uint32_t maximum, std::string_view what,
                          const FailureSite& site) {
    const int32_t value = ParseFileInt(text, base);
    const bool signedHex = base == 16 && !text.empty() && text.front() == '-';
    if (value < 0 || static_cast<uint32_t>(value) > maximum || signedHex) {
        site.Throw(fmt::format("{} out of range (0 to {}): {}", what, maximum, text));
    }
    return static_cast<uint32_t>(value);
}

}  // namespace TavFiles
