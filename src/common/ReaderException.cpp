#include "Tavelin/ReaderException.h"

#include <fmt/format.h>

#include "common/FixedText.h"

namespace Tav {

namespace {

std::string ComposeMessage(const std::string& message, const ProtocolCommandResult& result) {
    if (!result.HasException) {
        return message;
    }
    return fmt::format("{} [Protocol Exception: {}]", message, TavCommon::ReadFixedField(result.Message));
}

}  // namespace

ReaderException::ReaderException(const std::string& message, const ProtocolCommandResult& result, const char* file,
                                 int line, const char* function)
    : ElvarinException(ComposeMessage(message, result), file, line, function) {
    if (result.HasException) {
        hasInnerException_ = true;
        innerTypeName_ = TavCommon::ReadFixedField(result.ExceptionType);
        innerMessage_ = TavCommon::ReadFixedField(result.Message);
        innerFile_ = TavCommon::ReadFixedField(result.File);
        innerLine_ = result.Line;
        innerFunction_ = TavCommon::ReadFixedField(result.Function);
    }
}

ReaderException::ReaderException(const char* message, const char* file, int line, const char* function)
    : ElvarinException(message, file, line, function) {}

ReaderException::ReaderException(const std::string& message, const char* file, int line, const char* function)
    : ElvarinException(message, file, line, function) {}

ReaderException::~ReaderException() = default;

void ReaderException::PopulateTavResult(TavResult& result) const {
    using TavCommon::CopyToFixedField;
    result.Code = 1;
    CopyToFixedField(result.ExceptionType, TypeName());
    CopyToFixedField(result.Message, Message());
    CopyToFixedField(result.File, File());
    result.Line = Line();
    CopyToFixedField(result.Function, Function());
    result.HasInnerException = hasInnerException_ ? 1 : 0;
    if (hasInnerException_) {
        CopyToFixedField(result.InnerExceptionType, innerTypeName_);
        CopyToFixedField(result.InnerMessage, innerMessage_);
        CopyToFixedField(result.InnerFile, innerFile_);
        result.InnerLine = innerLine_;
        CopyToFixedField(result.InnerFunction, innerFunction_);
    } else {
        result.InnerExceptionType[0] = '\0';
        result.InnerMessage[0] = '\0';
        result.InnerFile[0] = '\0';
        result.InnerLine = 0;
        result.InnerFunction[0] = '\0';
    }
}

}  // namespace Tav
