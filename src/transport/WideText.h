#pragma once

#include <optional>
#include <string>

// hidapi speaks wide characters; the reader definition and the library's messages are narrow.
namespace TavTransport::WideText {

// The locale's multibyte-to-wide conversion; nullopt when the text is not valid in the current locale.
std::optional<std::wstring> FromMultibyte(const std::string& text);

// UTF-8 of a wide text; null is empty, and a value that is no Unicode scalar becomes U+FFFD.
std::string ToUtf8(const wchar_t* text);

}  // namespace TavTransport::WideText
