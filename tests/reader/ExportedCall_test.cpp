#include "reader/ExportedCall.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "common/FixedText.h"

namespace {

using Tav::ExportedCall;
using TavCommon::ReadFixedField;

ProtocolCommandResult FailedProtocolResult() {
    ProtocolCommandResult result{};
    result.HasException = true;
    std::strcpy(result.ExceptionType, "InvalidArgument");
    std::strcpy(result.Message, "inner message");
    std::strcpy(result.File, "InnerFile");
    result.Line = 42;
    std::strcpy(result.Function, "InnerFunction");
    return result;
}

// A record as an earlier failed call left it, inner error included.
TavResult DirtyRecord() {
    TavResult result;
    std::memset(&result, 'x', sizeof result);
    result.HasInnerException = 1;
    result.InnerLine = 99;
    return result;
}

struct ExpectedRecord {
    uint8_t code;
    std::string type;
    std::string message;
    std::string file;
    int32_t line;
    std::string function;
};

void ExpectRecord(const TavResult& result, const ExpectedRecord& expected) {
    EXPECT_EQ(result.Code, expected.code);
    EXPECT_EQ(ReadFixedField(result.ExceptionType), expected.type);
    EXPECT_EQ(ReadFixedField(result.Message), expected.message);
    EXPECT_EQ(ReadFixedField(result.File), expected.file);
    EXPECT_EQ(int32_t{result.Line}, expected.line);
    EXPECT_EQ(ReadFixedField(result.Function), expected.function);
}

void ExpectNoInnerError(const TavResult& result) {
    EXPECT_EQ(result.HasInnerException, 0);
    EXPECT_EQ(ReadFixedField(result.InnerExceptionType), "");
    EXPECT_EQ(ReadFixedField(result.InnerMessage), "");
    EXPECT_EQ(int32_t{result.InnerLine}, 0);
}

struct LadderCase {
    const char* name;
    std::function<void()> thrower;
    ExpectedRecord run;         // through the frame without a value
    ExpectedRecord withReturn;  // through the frame with a value
};

class ExportedCallLadder : public testing::TestWithParam<LadderCase> {};

TEST_P(ExportedCallLadder, FillsTheRecordFromWhatWasThrown) {
    const LadderCase& c = GetParam();
    TavResult result = DirtyRecord();
    ExportedCall(&result, "Tav_Init").Run("Init", c.thrower);
    ExpectRecord(result, c.run);
    ExpectNoInnerError(result);

    result = DirtyRecord();
    const int value = ExportedCall(&result, "TavReader_Open").RunWithReturn<int>("Open", [&] {
        c.thrower();
        return 7;
    });
    EXPECT_EQ(value, c.withReturn.code == 0 ? 7 : 0);
    ExpectRecord(result, c.withReturn);
}

const LadderCase kLadderCases[] = {
    {"ReaderException",
     [] { throw Tav::ReaderException("Reader capability profile not initialized.", "AbstractReader", 120, "Get"); },
     {1, "ElvarinException", "Reader capability profile not initialized.", "AbstractReader", 120, "Get"},
     {1, "ElvarinException", "Reader capability profile not initialized.", "AbstractReader", 120, "Get"}},
    {"LibraryException",
     [] { throw ElvarinException("Cannot add more than 2 Card Gone Characters", "ReaderConfigurationStruct", 9, "Add"); },
     {1, "ElvarinException", "Cannot add more than 2 Card Gone Characters", "ReaderConfigurationStruct", 9, "Add"},
     {1, "ElvarinException", "Cannot add more than 2 Card Gone Characters", "ReaderConfigurationStruct", 9, "Add"}},
    {"StandardException",
     [] { throw std::runtime_error("AbstractReader instance is being destroyed"); },
     {1, "StdException", "Standard exception in Init: AbstractReader instance is being destroyed", "Reader_C", 97,
      "ExecuteCppMethod"},
     {1, "StdException", "Standard exception in Open: AbstractReader instance is being destroyed", "Reader_C", 134,
      "ExecuteCppMethodWithReturn"}},
    {"OutOfMemory",
     [] { throw std::bad_alloc(); },
     {1, "StdException", "Standard exception in Init: std::bad_alloc", "Reader_C", 97, "ExecuteCppMethod"},
     {1, "StdException", "Standard exception in Open: std::bad_alloc", "Reader_C", 134, "ExecuteCppMethodWithReturn"}},
    {"Anything",
     [] { throw 5; },
     {1, "UnknownException", "An unexpected error occurred in Init.", "Reader_C", 104, "ExecuteCppMethod"},
     {1, "UnknownException", "An unexpected error occurred in Open.", "Reader_C", 142, "ExecuteCppMethodWithReturn"}},
    {"Nothing",
     [] {},
     {0, "", "", "Reader_C", 75, "ExecuteCppMethod"},
     {0, "", "", "Reader_C", 113, "ExecuteCppMethodWithReturn"}},
};

INSTANTIATE_TEST_SUITE_P(Rungs, ExportedCallLadder, testing::ValuesIn(kLadderCases),
                         [](const testing::TestParamInfo<LadderCase>& info) { return std::string(info.param.name); });

TEST(ExportedCall, ReaderExceptionBringsItsInnerError) {
    TavResult result = DirtyRecord();
    ExportedCall(&result, "Tav_DiscoverUsbReaders").Run("Tav_DiscoverUsbReaders", [] {
        throw Tav::ReaderException("Failed to discover USB readers: inner message", FailedProtocolResult(), "Reader_C",
                                   984, "operator()");
    });
    ExpectRecord(result, {1, "ElvarinException",
                          "Failed to discover USB readers: inner message [Protocol Exception: inner message]",
                          "Reader_C", 984, "operator()"});
    EXPECT_EQ(result.HasInnerException, 1);
    EXPECT_EQ(ReadFixedField(result.InnerExceptionType), "InvalidArgument");
    EXPECT_EQ(ReadFixedField(result.InnerMessage), "inner message");
    EXPECT_EQ(ReadFixedField(result.InnerFile), "InnerFile");
    EXPECT_EQ(int32_t{result.InnerLine}, 42);
    EXPECT_EQ(ReadFixedField(result.InnerFunction), "InnerFunction");
}

TEST(ExportedCall, ArgumentErrorNamesTheExportedFunctionAndOnlyTheFirstCheck) {
    TavResult result = DirtyRecord();
    ExportedCall call(&result, "TavReader_GetCardData");
    int value = 0;
    const bool passed =
        call.Require(&value, "Called with null handle", 293) && call.Require(nullptr, "Called with null cardDataOut", 299) &&
        call.Require(nullptr, "Called with null bitCountOut", 305);
    EXPECT_FALSE(passed);
    ExpectRecord(result, {1, "", "Called with null cardDataOut", "Reader_C", 299, "TavReader_GetCardData"});
    ExpectNoInnerError(result);
}

TEST(ExportedCall, LongTextsAreCutWithTheLastByteNul) {
    TavResult result{};
    const std::string huge(5000, 'w');
    ExportedCall(&result, "Tav_Init").Run("Init", [&] { throw std::runtime_error(huge); });
    EXPECT_EQ(result.Message[sizeof result.Message - 1], '\0');
    EXPECT_EQ(ReadFixedField(result.Message).size(), sizeof result.Message - 1);
    EXPECT_TRUE(ReadFixedField(result.Message).starts_with("Standard exception in Init: www"));
}

}  // namespace
