#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace TavCommon::Detail {

// The base name of a source path without folders or extension ("src/common/Foo.cpp" -> "Foo").
constexpr std::string_view SourceBaseName(std::string_view path) {
    if (const auto slash = path.find_last_of('/'); slash != std::string_view::npos) {
        path.remove_prefix(slash + 1);
    }
    if (const auto dot = path.find('.'); dot != std::string_view::npos) {
        path = path.substr(0, dot);
    }
    return path;
}

template <std::size_t N>
constexpr std::array<char, N> MakeSourceName(std::string_view path) {
    std::array<char, N> name{};
    const auto base = SourceBaseName(path);
    for (std::size_t i = 0; i < base.size(); ++i) {
        name[i] = base[i];
    }
    return name;
}

}  // namespace TavCommon::Detail

// The throwing file's base name as a NUL-terminated constant, computed at compile time.
#define TAV_SOURCE_FILE                                                                                              \
    ([]() -> const char* {                                                                                           \
        static constexpr auto name =                                                                                 \
            ::TavCommon::Detail::MakeSourceName<::TavCommon::Detail::SourceBaseName(__FILE__).size() + 1>(__FILE__); \
        return name.data();                                                                                          \
    }())

// Throws an exception of the library's family from the current file, line and function.
#define TAV_THROW(ExceptionType, message) throw ExceptionType((message), TAV_SOURCE_FILE, __LINE__, __func__)

// The same, recording a fixed line instead of the current one: for errors whose records carry a
// line number that must not move with the layout of the source file.
#define TAV_THROW_AT(ExceptionType, message, line) throw ExceptionType((message), TAV_SOURCE_FILE, (line), __func__)
