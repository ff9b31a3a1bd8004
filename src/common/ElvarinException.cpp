#include "Tavelin/ElvarinException.h"

#include <stdexcept>

namespace {

const char* RequireText(const char* text, const char* what) {
    if (text == nullptr) {
        throw std::logic_error(std::string("ElvarinException constructed with a null ") + what);
    }
    return text;
}

}  // namespace

ElvarinException::ElvarinException(const char* message, const char* file, int line, const char* function)
    : ElvarinException(std::string(RequireText(message, "message")), file, line, function) {}

ElvarinException::ElvarinException(const std::string& message, const char* file, int line, const char* function)
    : std::runtime_error(message),
      message_(message),
      file_(RequireText(file, "file")),
      line_(line),
      function_(RequireText(function, "function")),
      typeName_("ElvarinException") {}

ElvarinException::~ElvarinException() = default;
