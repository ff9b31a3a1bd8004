#pragma once

#include <stdexcept>
#include <string>

namespace mn::CppLinuxSerial {

// The serial port's own failure: the text prefixed with the throwing source file and line.
class Exception : public std::runtime_error {
public:
    Exception(const char* file, int line, const std::string& text);
    ~Exception() override;

    const char* what() const noexcept override;

private:
    std::string message_;
};

}  // namespace mn::CppLinuxSerial

#define THROW_EXCEPT(text) throw ::mn::CppLinuxSerial::Exception(__FILE__, __LINE__, (text))

// The same with a fixed line, for texts whose line must not move with the layout of the source.
#define THROW_EXCEPT_AT(line, text) throw ::mn::CppLinuxSerial::Exception(__FILE__, (line), (text))
