#pragma once

#include <cstdint>
#include <exception>
#include <utility>

#include "Tavelin/ReaderException.h"
#include "Tavelin/TavResult.h"

namespace Tav {

// The one gate between the library's exceptions and the flat TavResult record: every exported
// function checks its arguments and runs its work through one of these, and none has a try/catch
// of its own. Every fill writes fixed fields without allocating, so a std::bad_alloc is reported
// like any other failure.
//
// A null record leaves a call nowhere to report, so the frame refuses the call as a whole: every
// check fails without writing, and no work runs. The exported function then returns its failure
// value having opened, subscribed and written nothing.
class ExportedCall {
public:
    static constexpr const char* kFile = "Reader_C";

    // Zeroes the whole record, so a reused record never shows an earlier call's inner error.
    ExportedCall(TavResult* result, const char* exportedName) noexcept;

    // Argument checks: false, after filling the argument error (type "", the message, the line and
    // the exported function's name), when the check fails; false with nothing filled when the
    // record is null. Only the first failing check reports.
    bool Require(const void* pointer, const char* message, int32_t line) noexcept {
        return RequireThat(pointer != nullptr, message, line);
    }
    bool RequireThat(bool condition, const char* message, int32_t line) noexcept;
    // An error the exported function reports itself, in the argument errors' form.
    void Fail(const char* message, int32_t line) noexcept;

    // The frame of the functions without a value: success first (line 75), then the work; an
    // exception fills the record by the ladder, naming the operation.
    template <typename Work>
    void Run(const char* operationName, Work&& work) noexcept {
        if (result_ == nullptr) {
            return;
        }
        FillSuccess(kRunSuccessLine, kRunFunction);
        try {
            std::forward<Work>(work)();
        } catch (...) {
            FillFromCurrentException(operationName, kRunFrame);
        }
    }

    // The frame of the functions that return a value (success line 113): the work's value, or a
    // zero value after a failure.
    template <typename Value, typename Work>
    Value RunWithReturn(const char* operationName, Work&& work) noexcept {
        if (result_ == nullptr) {
            return Value{};
        }
        FillSuccess(kReturnSuccessLine, kReturnFunction);
        try {
            return std::forward<Work>(work)();
        } catch (...) {
            FillFromCurrentException(operationName, kReturnFrame);
            return Value{};
        }
    }

    const char* ExportedName() const noexcept { return exportedName_; }

private:
    // Where the two frames report their foreign exceptions.
    struct Frame {
        const char* function;
        int32_t standardLine;
        int32_t unknownLine;
    };
    static constexpr int32_t kRunSuccessLine = 75;
    static constexpr int32_t kReturnSuccessLine = 113;
    static constexpr const char* kRunFunction = "ExecuteCppMethod";
    static constexpr const char* kReturnFunction = "ExecuteCppMethodWithReturn";
    static constexpr Frame kRunFrame{kRunFunction, 97, 104};
    static constexpr Frame kReturnFrame{kReturnFunction, 134, 142};

    void FillSuccess(int32_t line, const char* function) noexcept;
    // The ladder: ReaderException, then the library's own family, then std::exception, then
    // anything else. Called only from inside a catch block.
    void FillFromCurrentException(const char* operationName, const Frame& frame) noexcept;

    TavResult* result_;
    const char* exportedName_;
};

}  // namespace Tav
