#include "transport/WideText.h"

#include <cwchar>

namespace TavTransport::WideText {

std::optional<std::wstring> FromMultibyte(const std::string& text) {
    std::mbstate_t state{};
    const char* source = text.c_str();
    const std::size_t length = std::mbsrtowcs(nullptr, &source, 0, &state);
    if (length == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    std::wstring wide(length, L'\0');
    state = {};
    source = text.c_str();
    std::mbsrtowcs(wide.data(), &source, length, &state);
    return wide;
}

std::string ToUtf8(const wchar_t* text) {
    std::string utf8;
    if (text == nullptr) {
        return utf8;
    }
    for (; *text != L'\0'; ++text) {
        char32_t code = static_cast<char32_t>(*text);
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            utf8 += static_cast<char>(code);
        } else if (code < 0x800) {
            utf8 += static_cast<char>(0xC0 | (code >> 6));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (code >> 12));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (code >> 18));
            utf8 += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return utf8;
}

}  // namespace TavTransport::WideText
