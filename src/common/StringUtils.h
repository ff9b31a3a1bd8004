#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace TavCommon::StringUtils {

std::string Trim(std::string_view text);
bool StartsWith(std::string_view text, std::string_view prefix);
// "1" is true, "0" false; anything else throws ElvarinException.
bool ParseBool(std::string_view text);
// The whole text must be an optionally negative number of the base that fits in int32.
int32_t ParseInt(std::string_view text, int base);
// Upper-case digits, zero-filled on the left to at least width characters.
std::string ToHex(uint32_t value, int width);
std::string Join(const std::vector<std::string>& texts, std::string_view separator);
// The pieces between delimiters; a trailing delimiter gives no empty last piece.
std::vector<std::string> Split(std::string_view text, std::string_view delimiter);
std::string ToLower(std::string_view text);

}  // namespace TavCommon::StringUtils
