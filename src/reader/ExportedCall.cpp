#include "reader/ExportedCall.h"

#include <cstring>
#include <string_view>

#include "common/FixedText.h"

namespace Tav {

namespace {

using TavCommon::CopyToFixedField;

// Appends to a NUL-terminated fixed field, keeping its last byte NUL; never allocates.
template <std::size_t Size>
void AppendToFixedField(char (&field)[Size], std::string_view text) noexcept {
    const std::size_t used = strnlen(field, Size - 1);
    const std::size_t count = TavCommon::Utf8PrefixLength(text, Size - 1 - used);
    std::memcpy(field + used, text.data(), count);
    field[used + count] = '\0';
}

}  // namespace

ExportedCall::ExportedCall(TavResult* result, const char* exportedName) noexcept
    : result_(result), exportedName_(exportedName) {
    if (result_ != nullptr) {
        std::memset(result_, 0, sizeof(TavResult));
    }
}

bool ExportedCall::RequireThat(bool condition, const char* message, int32_t line) noexcept {
    if (result_ == nullptr) {
        return false;
    }
    if (!condition) {
        Fail(message, line);
    }
    return condition;
}

void ExportedCall::Fail(const char* message, int32_t line) noexcept {
    if (result_ == nullptr) {
        return;
    }
    result_->Code = 1;
    CopyToFixedField(result_->ExceptionType, "");
    CopyToFixedField(result_->Message, message);
    CopyToFixedField(result_->File, kFile);
    result_->Line = line;
    CopyToFixedField(result_->Function, exportedName_);
}

void ExportedCall::FillSuccess(int32_t line, const char* function) noexcept {
    result_->Code = 0;
    CopyToFixedField(result_->ExceptionType, "");
    CopyToFixedField(result_->Message, "");
    CopyToFixedField(result_->File, kFile);
    result_->Line = line;
    CopyToFixedField(result_->Function, function);
}

void ExportedCall::FillFromCurrentException(const char* operationName, const Frame& frame) noexcept {
    TavResult& result = *result_;
    try {
        throw;
    } catch (const ReaderException& error) {
        error.PopulateTavResult(result);
    } catch (const ElvarinException& error) {
        result.Code = 1;
        CopyToFixedField(result.ExceptionType, error.TypeName());
        CopyToFixedField(result.Message, error.Message());
        CopyToFixedField(result.File, error.File());
        result.Line = error.Line();
        CopyToFixedField(result.Function, error.Function());
    } catch (const std::exception& error) {
        result.Code = 1;
        CopyToFixedField(result.ExceptionType, "StdException");
        CopyToFixedField(result.Message, "Standard exception in ");
        AppendToFixedField(result.Message, operationName);
        AppendToFixedField(result.Message, ": ");
        AppendToFixedField(result.Message, error.what());
        CopyToFixedField(result.File, kFile);
        result.Line = frame.standardLine;
        CopyToFixedField(result.Function, frame.function);
    } catch (...) {
        result.Code = 1;
        CopyToFixedField(result.ExceptionType, "UnknownException");
        CopyToFixedField(result.Message, "An unexpected error occurred in ");
        AppendToFixedField(result.Message, operationName);
        AppendToFixedField(result.Message, ".");
        CopyToFixedField(result.File, kFile);
        result.Line = frame.unknownLine;
        CopyToFixedField(result.Function, frame.function);
    }
}

}  // namespace Tav
