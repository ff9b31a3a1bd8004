#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Tavelin.h"
#include "common/FixedText.h"

namespace {

using TavCommon::ReadFixedField;

// These run against this machine's own /sys, where no reader of the supported table is expected;
// the discovery of readers in a sysfs tree is tested end to end in a mount namespace.
TEST(UsbReaderDiscovery, NullCountIsRefusedBeforeAnythingIsTouched) {
    TavResult result;
    std::memset(&result, 'x', sizeof result);
    TavCommon::ReaderDefinition readers[1];
    std::memset(readers, 0x5A, sizeof readers);
    Tav_DiscoverUsbReaders(&result, readers, nullptr);
    EXPECT_EQ(result.Code, 1);
    EXPECT_EQ(ReadFixedField(result.ExceptionType), "");
    EXPECT_EQ(ReadFixedField(result.Message), "Called with null readerCount pointer");
    EXPECT_EQ(ReadFixedField(result.File), "Reader_C");
    EXPECT_EQ(int32_t{result.Line}, 970);
    EXPECT_EQ(ReadFixedField(result.Function), "Tav_DiscoverUsbReaders");
    EXPECT_EQ(result.HasInnerException, 0);
    EXPECT_EQ(readers[0].VendorId, 0x5A5A);
}

TEST(UsbReaderDiscovery, CountThenCopyAndACountThatDiffersIsADiscoveryFailure) {
    TavResult result;
    uint64_t count = 99;
    Tav_DiscoverUsbReaders(&result, nullptr, &count);
    ASSERT_EQ(result.Code, 0) << result.Message;
    EXPECT_EQ(int32_t{result.Line}, 75);
    EXPECT_EQ(ReadFixedField(result.Function), "ExecuteCppMethod");
    EXPECT_EQ(count, Tav::ReaderDiscovery::DiscoverUsbReaders().size());

    std::vector<TavCommon::ReaderDefinition> readers(count + 1);
    Tav_DiscoverUsbReaders(&result, readers.data(), &count);
    EXPECT_EQ(result.Code, 0) << result.Message;

    uint64_t wrong = count + 1;
    std::memset(static_cast<void*>(readers.data()), 0x5A, readers.size() * sizeof readers[0]);
    Tav_DiscoverUsbReaders(&result, readers.data(), &wrong);
    EXPECT_EQ(result.Code, 1);
    EXPECT_EQ(wrong, count + 1);
    EXPECT_EQ(readers.back().VendorId, 0x5A5A);
    EXPECT_EQ(ReadFixedField(result.ExceptionType), "ElvarinException");
    EXPECT_TRUE(ReadFixedField(result.Message).starts_with("Failed to discover USB readers: Provided readerCount does not match"))
        << result.Message;
    EXPECT_TRUE(ReadFixedField(result.Message).ends_with("buffer size.]")) << result.Message;
    EXPECT_EQ(ReadFixedField(result.File), "Reader_C");
    EXPECT_EQ(int32_t{result.Line}, 984);
    EXPECT_EQ(ReadFixedField(result.Function), "operator()");
    EXPECT_EQ(result.HasInnerException, 1);
    EXPECT_EQ(ReadFixedField(result.InnerExceptionType), "InvalidArgument");
}

}  // namespace
