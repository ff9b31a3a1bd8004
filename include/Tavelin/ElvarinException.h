#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "Tavelin/Export.h"

// Base of the library's exception family. Every throw site records where it failed, so the
// result records that leave the library can say so.
class TAV_API ElvarinException : public std::runtime_error {
public:
    ElvarinException(const char* message, const char* file, int line, const char* function);
    ElvarinException(const std::string& message, const char* file, int line, const char* function);
    ~ElvarinException() override;

    const std::string& Message() const noexcept { return message_; }
    const std::string& File() const noexcept { return file_; }
    int32_t Line() const noexcept { return line_; }
    const std::string& Function() const noexcept { return function_; }
    const std::string& TypeName() const noexcept { return typeName_; }

private:
    std::string message_;
    std::string file_;
    int32_t line_;
    std::string function_;
    std::string typeName_;
};
