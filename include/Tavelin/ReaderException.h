#pragma once

#include "Tavelin/Export.h"

#include <cstdint>
#include <string>

#include "Tavelin/ElvarinException.h"
#include "Tavelin/ProtocolCommandResult.h"
#include "Tavelin/TavResult.h"

namespace Tav {

// The reader layer's exception; it can carry the failed protocol result that caused it.
class TAV_API ReaderException : public ElvarinException {
public:
    ReaderException(const std::string& message, const ProtocolCommandResult& result, const char* file, int line,
                    const char* function);
    ReaderException(const char* message, const char* file, int line, const char* function);
    ReaderException(const std::string& message, const char* file, int line, const char* function);
    ~ReaderException() override;

    void PopulateTavResult(TavResult& result) const;

    bool HasInnerException() const noexcept { return hasInnerException_; }
    const std::string& InnerTypeName() const noexcept { return innerTypeName_; }
    const std::string& InnerMessage() const noexcept { return innerMessage_; }
    const std::string& InnerFile() const noexcept { return innerFile_; }
    int32_t InnerLine() const noexcept { return innerLine_; }
    const std::string& InnerFunction() const noexcept { return innerFunction_; }

private:
    bool hasInnerException_ = false;
    std::string innerTypeName_;
    std::string innerMessage_;
    std::string innerFile_;
    int32_t innerLine_ = 0;
    std::string innerFunction_;
};

}  // namespace Tav
