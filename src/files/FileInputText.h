#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/FailureSite.h"

// How the configuration-file readers quote and convert text taken from a file. A file can hold
// lines of megabytes and any byte, so whatever reaches a message is cut short and made printable.
namespace TavFiles {

inline constexpr std::size_t kQuotedInputLimit = 200;

// The text with every control character written as \xNN, cut after about 200 characters with
// "..." added where it was cut.
std::string PrintableExcerpt(std::string_view text);

// StringUtils::ParseBool and ParseInt with their own messages, except that a text which cannot
// be valid anyway (too long, or holding control characters) is quoted as its excerpt.
bool ParseFileBool(std::string_view text);
int32_t ParseFileInt(std::string_view text, int base);

// A number that must fit its field: 0 to maximum, never cut to its low bits. Hexadecimal pieces
// carry no sign. Throws ElvarinException "<what> out of range (0 to <maximum>): <text>" from the
// caller's site.
uint32_t ParseFieldNumber(std::string_view text, int base, uint32_t maximum, std::string_view what,
                          const FailureSite& site);

}  // namespace TavFiles
