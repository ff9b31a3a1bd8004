#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "Tavelin/ReaderCapabilityProfile.h"
#include "Tavelin/ReaderException.h"
#include "common/FixedText.h"
#include "reader/ReaderOnSimulator.h"
#include "support/FacadeTestTransport.h"

namespace {

using TavTest::ReaderOnSimulator;
using TavTest::Wire;
using ::testing::HasSubstr;
using ::testing::StartsWith;

template <typename Exception, typename Call>
Exception Caught(Call call) {
    try {
        call();
    } catch (const Exception& error) {
        return error;
    }
    ADD_FAILURE() << "nothing thrown";
    throw std::logic_error("nothing thrown");
}

TEST(ReaderRegistry, HandlesAreNeverReusedAndAStaleOneIsNotFound) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    void* first = Tav::AbstractReader::CreateReaderInstance(ReaderOnSimulator::Definition(Wire::FeatureReport), 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(Tav::AbstractReader::GetInstance(first), nullptr);
    Tav::AbstractReader::DestroyInstance(first);
    void* second = Tav::AbstractReader::CreateReaderInstance(ReaderOnSimulator::Definition(Wire::FeatureReport), 0);
    EXPECT_NE(second, first);
    EXPECT_EQ(Tav::AbstractReader::GetInstance(first), nullptr);
    // A stale destroy must not close the reader that came after it.
    Tav::AbstractReader::DestroyInstance(first);
    ASSERT_NE(Tav::AbstractReader::GetInstance(second), nullptr);
    Tav::AbstractReader::DestroyInstance(second);
    Tav::AbstractReader::DestroyInstance(second);
    EXPECT_EQ(Tav::AbstractReader::GetInstance(second), nullptr);
    EXPECT_EQ(Tav::AbstractReader::GetInstance(nullptr), nullptr);
    Tav::AbstractReader::DestroyInstance(nullptr);
}

TEST(ReaderRegistry, AFailedOpenThrowsTheFacadesMessageAndLeavesNothingOpen) {
    TavTest::ScopedProbeTransports transports;
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = 254;
    const auto error = Caught<Tav::ReaderException>(
        [&] { Tav::AbstractReader::CreateReaderInstance(definition, 0); });
    EXPECT_THAT(error.Message(), HasSubstr("Dummy"));
    EXPECT_EQ(error.File(), "AbstractReader");
    EXPECT_EQ(error.Line(), 82);
    EXPECT_EQ(error.Function(), "CreateReaderInstance");
    EXPECT_FALSE(error.HasInnerException());

    transports.probe().onInit = [](uint32_t) { throw std::runtime_error("port busy"); };
    definition.ProtocolType = 1;
    const auto busy = Caught<Tav::ReaderException>(
        [&] { Tav::AbstractReader::CreateReaderInstance(definition, 0); });
    EXPECT_THAT(busy.Message(), HasSubstr("port busy"));
    EXPECT_EQ(transports.probe().created.load(), transports.probe().destroyed.load());
}

TEST(ReaderRegistry, OperationsNeedInitAndCloseKeepsTheHandle) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.Open();
    Tav::LedConfiguration led{};
    const auto before = Caught<Tav::ReaderException>([&] { reader.GetLedConfiguration(0, led); });
    EXPECT_EQ(before.Message(), "Reader capability profile not initialized. Call Init() first.");
    EXPECT_EQ(before.File(), "AbstractReader");
    EXPECT_EQ(before.Line(), 120);
    EXPECT_EQ(before.Function(), "GetCapabilityProfile");
    EXPECT_TRUE(simulated.Phrases().empty());

    reader.Init();
    EXPECT_NO_THROW(reader.GetLedConfiguration(0, led));
    reader.Close();
    EXPECT_EQ(Tav::AbstractReader::GetInstance(simulated.handle).get(), &reader);
    EXPECT_EQ(Caught<std::runtime_error>([&] { reader.Init(); }).what(),
              std::string("AbstractReader instance has invalid protocol facade"));
    EXPECT_THROW(reader.GetMetadataStruct(false), std::runtime_error);
    EXPECT_THROW(reader.RefreshMetadata(), std::runtime_error);
    EXPECT_EQ(Caught<Tav::ReaderException>([&] { reader.GetLedConfiguration(0, led); }).Line(), 120);
    EXPECT_THROW(reader.GetReaderCapabilityProfile(), Tav::ReaderException);
    // Subscribing to a closed reader is refused and leaves nothing subscribed.
    EXPECT_THROW(reader.OnCredentialPresented([](Tav::CardData&) {}, TavProtocol::GetCardDataSizeParameters::Long),
                 std::runtime_error);
}

TEST(ReaderRegistry, ARepeatedInitGivesANewProfileAndKeepsTheOldOneAliveForItsHolders) {
    ReaderOnSimulator simulated(Wire::FeatureReport);
    Tav::Reader& reader = simulated.OpenInitialised();
    const std::shared_ptr<Tav::ReaderCapabilityProfile> first = reader.GetReaderCapabilityProfile();
    reader.Init();
    const std::shared_ptr<Tav::ReaderCapabilityProfile> second = reader.GetReaderCapabilityProfile();
    EXPECT_NE(first, second);
    EXPECT_TRUE(first->HasCapability(Tav::ReaderCapability::READER_CAPABILITY_BEEPER));
}

TEST(ReaderLibraryInfo, TheTextNeedsRoomForItsTerminator) {
    char buffer[4096];
    std::memset(buffer, 'x', sizeof buffer);
    const TavResult ok = Tav::AbstractReader::GetLibraryInfoAsString(buffer, sizeof buffer);
    ASSERT_EQ(ok.Code, 0);
    const std::string text(buffer);
    EXPECT_THAT(text, StartsWith("Library Name: "));
    EXPECT_THAT(text, HasSubstr("\nBranch: "));

    for (const std::size_t size : {text.size(), std::size_t{0}}) {
        char small[4096];
        std::memset(small, 'y', sizeof small);
        const TavResult refused = Tav::AbstractReader::GetLibraryInfoAsString(small, size);
        EXPECT_EQ(refused.Code, 1);
        EXPECT_EQ(TavCommon::ReadFixedField(refused.ExceptionType), "BufferSizeException");
        EXPECT_EQ(TavCommon::ReadFixedField(refused.Message), "Buffer size too small for library info string");
        EXPECT_EQ(small[0], 'y');
    }
    const TavResult null = Tav::AbstractReader::GetLibraryInfoAsString(nullptr, sizeof buffer);
    EXPECT_EQ(null.Code, 1);
    EXPECT_EQ(TavCommon::ReadFixedField(null.ExceptionType), "InvalidArgument");
    EXPECT_EQ(TavCommon::ReadFixedField(null.Message), "buffer pointer cannot be null");
    const TavResult nullOfNoSize = Tav::AbstractReader::GetLibraryInfoAsString(nullptr, 0);
    EXPECT_EQ(TavCommon::ReadFixedField(nullOfNoSize.Message), "Buffer size too small for library info string");

    const TavResult exact = Tav::AbstractReader::GetLibraryInfoAsString(buffer, text.size() + 1);
    EXPECT_EQ(exact.Code, 0);
    EXPECT_EQ(std::string(buffer), text);

    Tav::LibraryInfo info;
    EXPECT_EQ(Tav::AbstractReader::GetLibraryInfo(info).Code, 0);
    EXPECT_THAT(text, HasSubstr(std::string(TavCommon::ReadFixedField(info.LibraryName))));
}

}  // namespace
