#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/ProtocolException.h"
#include "Tavelin.h"
#include "common/SourceLocation.h"
#include "support/FixedField.h"
#include "transport/TransportException.h"

namespace {

// TavResult is packed: its fields are read by value (int32_t{...}), never bound to references.

ProtocolCommandResult FailedResult(const char* message, int32_t line) {
    ProtocolCommandResult result{};
    result.HasException = true;
    std::strcpy(result.ExceptionType, "ElvarinException");
    std::strcpy(result.Message, message);
    std::strcpy(result.File, "GetLuidWithFeatureReportProtocol");
    result.Line = line;
    std::strcpy(result.Function, "ValidateResponse");
    return result;
}

TEST(ElvarinExceptionTest, RecordsThrowSiteWithFileBaseName) {
    try {
        TAV_THROW(TavProtocol::ProtocolException, "boom");
        FAIL();
    } catch (const ElvarinException& error) {
        EXPECT_STREQ(error.what(), "boom");
        EXPECT_EQ(error.File(), "Exceptions_test");
        EXPECT_GT(error.Line(), 0);
        EXPECT_EQ(error.Function(), "TestBody");
        EXPECT_EQ(error.TypeName(), "ElvarinException");
    }
}

TEST(ElvarinExceptionTest, LambdaThrowSiteIsNamedOperatorCall) {
    const auto fail = [] { TAV_THROW(TavTransport::TransportException, std::string("from a lambda")); };
    try {
        fail();
        FAIL();
    } catch (const TavTransport::TransportException& error) {
        EXPECT_EQ(error.Function(), "operator()");
        EXPECT_EQ(error.File(), "Exceptions_test");
    }
}

TEST(ElvarinExceptionTest, EveryDerivedClassReportsTheFamilyTypeName) {
    EXPECT_EQ(TavProtocol::ProtocolException("m", "f", 1, "g").TypeName(), "ElvarinException");
    EXPECT_EQ(TavTransport::TransportException("m", "f", 1, "g").TypeName(), "ElvarinException");
    EXPECT_EQ(Tav::ReaderException("m", "f", 1, "g").TypeName(), "ElvarinException");
}

TEST(ElvarinExceptionTest, NullTextIsALogicError) {
    EXPECT_THROW(ElvarinException(static_cast<const char*>(nullptr), "f", 1, "g"), std::logic_error);
    EXPECT_THROW(ElvarinException("m", nullptr, 1, "g"), std::logic_error);
    EXPECT_THROW(ElvarinException(std::string("m"), "f", 1, nullptr), std::logic_error);
}

TEST(ReaderExceptionTest, CarriesTheFailedProtocolResult) {
    const Tav::ReaderException error("Failed", FailedResult("Timeout", -1), "Reader", 42, "SetLuid");
    EXPECT_STREQ(error.what(), "Failed [Protocol Exception: Timeout]");

    TavResult record;
    std::memset(&record, 0x5A, sizeof record);
    error.PopulateTavResult(record);
    using TavTest::HoldsPaddedText;
    EXPECT_EQ(record.Code, 1);
    EXPECT_TRUE(HoldsPaddedText(record.ExceptionType, "ElvarinException"));
    EXPECT_TRUE(HoldsPaddedText(record.Message, "Failed [Protocol Exception: Timeout]"));
    EXPECT_TRUE(HoldsPaddedText(record.File, "Reader"));
    EXPECT_EQ(int32_t{record.Line}, 42);
    EXPECT_TRUE(HoldsPaddedText(record.Function, "SetLuid"));
    EXPECT_EQ(record.HasInnerException, 1);
    EXPECT_TRUE(HoldsPaddedText(record.InnerExceptionType, "ElvarinException"));
    EXPECT_TRUE(HoldsPaddedText(record.InnerMessage, "Timeout"));
    EXPECT_TRUE(HoldsPaddedText(record.InnerFile, "GetLuidWithFeatureReportProtocol"));
    EXPECT_EQ(int32_t{record.InnerLine}, -1);
    EXPECT_TRUE(HoldsPaddedText(record.InnerFunction, "ValidateResponse"));
}

TEST(ReaderExceptionTest, ResultWithoutExceptionLeavesMessageAndEmptiesInnerFields) {
    ProtocolCommandResult success{};
    const Tav::ReaderException error("Failed", success, "Reader", 7, "Init");
    EXPECT_STREQ(error.what(), "Failed");

    TavResult record;
    std::memset(&record, 0x5A, sizeof record);
    error.PopulateTavResult(record);
    EXPECT_EQ(record.HasInnerException, 0);
    EXPECT_EQ(record.InnerExceptionType[0], '\0');
    EXPECT_EQ(record.InnerMessage[0], '\0');
    EXPECT_EQ(record.InnerFile[0], '\0');
    EXPECT_EQ(int32_t{record.InnerLine}, 0);
    EXPECT_EQ(record.InnerFunction[0], '\0');
    EXPECT_EQ(static_cast<unsigned char>(record.InnerMessage[1]), 0x5A);  // the rest stays the caller's
}

TEST(ReaderExceptionTest, LongTextsAreCutToTheirFields) {
    const std::string message(3000, 'm');
    const Tav::ReaderException error(message, "Reader", 1, std::string(300, 'f').c_str());
    TavResult record;
    std::memset(&record, 0x5A, sizeof record);
    error.PopulateTavResult(record);
    EXPECT_TRUE(TavTest::HoldsPaddedText(record.Message, message.substr(0, 2047)));
    EXPECT_TRUE(TavTest::HoldsPaddedText(record.Function, std::string(255, 'f')));
}

// A result whose texts fill their fields to the last byte is read within the fields.
TEST(ReaderExceptionTest, InnerTextsWithoutNulStayWithinTheirFields) {
    ProtocolCommandResult result;
    std::memset(&result, 'x', sizeof result);
    result.HasException = true;
    result.Line = 9;
    const Tav::ReaderException error("Failed", result, "Reader", 1, "Init");
    EXPECT_EQ(error.InnerMessage(), std::string(2048, 'x'));
    EXPECT_EQ(error.InnerFunction(), std::string(256, 'x'));

    TavResult record{};
    error.PopulateTavResult(record);
    EXPECT_TRUE(TavTest::HoldsPaddedText(record.Message, "Failed [Protocol Exception: " + std::string(2019, 'x')));
    EXPECT_TRUE(TavTest::HoldsPaddedText(record.InnerMessage, std::string(2047, 'x')));
    EXPECT_TRUE(TavTest::HoldsPaddedText(record.InnerExceptionType, std::string(255, 'x')));
    EXPECT_EQ(int32_t{record.InnerLine}, 9);
}

}  // namespace
