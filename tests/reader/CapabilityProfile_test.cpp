#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "Tavelin/ConfigurationBlock5CapabilityRule.h"
#include "Tavelin/DefaultReaderCapabilityProfile.h"
#include "Tavelin/ReaderCapability.h"
#include "Tavelin/ReaderCapabilityProfile.h"
#include "Tavelin/ReaderCapabilitySet.h"
#include "common/FixedText.h"

namespace {

using enum Tav::ReaderCapability;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

ReaderMetadataStruct ZeroMetadata() {
    ReaderMetadataStruct metadata;
    std::memset(&metadata, 0, sizeof metadata);
    return metadata;
}

void SetText(char (&field)[512], uint8_t& available, const std::string& text) {
    TavCommon::CopyToFixedField(field, text);
    available = 1;
}

struct RuleCase {
    const char* name;
    const char* partNumber;  // null: not available
    const char* modelText;   // null: not available
    uint8_t legicInstalled;
    uint8_t transparentMode;
    uint8_t extendedMode;
    bool keystroking;
    bool block5;
    bool transparent;
    bool extended;
};

const std::string kMarker(Tav::ConfigurationBlock5CapabilityRule::kModelMarkerWithoutBlock5);

class DefaultProfileRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(DefaultProfileRules, DecidesFromTheMetadata) {
    const RuleCase& c = GetParam();
    ReaderMetadataStruct metadata = ZeroMetadata();
    if (c.partNumber != nullptr) {
        SetText(metadata.PartNumber, metadata.PartNumberAvailable, c.partNumber);
    }
    if (c.modelText != nullptr) {
        SetText(metadata.ModelText, metadata.ModelTextAvailable, c.modelText);
    }
    metadata.InstalledHardware[13] = c.legicInstalled;
    metadata.TransparentModeFlag = c.transparentMode;
    metadata.SupportsExtendedMode = c.extendedMode;

    const Tav::DefaultReaderCapabilityProfile profile(metadata, {});
    EXPECT_EQ(profile.HasCapability(READER_CAPABILITY_KEYSTROKING), c.keystroking);
    EXPECT_EQ(profile.HasCapability(READER_CAPABILITY_CONFIGURATION_BLOCK_5), c.block5);
    EXPECT_EQ(profile.HasCapability(READER_CAPABILITY_TRANSPARENT_MODE), c.transparent);
    EXPECT_EQ(profile.HasCapability(READER_CAPABILITY_EXTENDED_CONFIGURATION), c.extended);
    // Never offered, whatever the metadata says.
    EXPECT_FALSE(profile.HasCapability(READER_CAPABILITY_CARD_ANALYZER));
    EXPECT_FALSE(profile.HasCapability(READER_CAPABILITY_UNKNOWN));
    EXPECT_TRUE(profile.HasCapability(READER_CAPABILITY_BAUD_RATE));
}

// Marker cases are built around the chosen marker so that the table follows it.
const std::string kModelWithMarker = "Desk Reader " + kMarker + " USB";
const std::string kUpperModelWithMarker = [] {
    std::string upper = "DESK " + kMarker;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper;
}();

const RuleCase kRuleCases[] = {
    {"NothingKnown", nullptr, nullptr, 0, 0, 0, true, true, false, false},
    {"PartNumberWithTwoAtFourthFromEnd", "AB-2345-01", nullptr, 0, 0, 0, false, true, false, false},
    {"PartNumberCutAtSecondDash", "AB-1234-2345", nullptr, 0, 0, 0, true, true, false, false},
    {"PartNumberWithOneDashJudgedWhole", "AB-2345", nullptr, 0, 0, 0, false, true, false, false},
    {"PartNumberWithoutDash", "X2345", nullptr, 0, 0, 0, false, true, false, false},
    {"PartNumberOfThreeCharacters", "234", nullptr, 0, 0, 0, true, true, false, false},
    {"PartNumberOfFourCharacters", "2345", nullptr, 0, 0, 0, false, true, false, false},
    {"ModelWithMarker", nullptr, kModelWithMarker.c_str(), 0, 0, 0, true, false, false, false},
    {"ModelWithMarkerInUpperCase", nullptr, kUpperModelWithMarker.c_str(), 0, 0, 0, true, false, false, false},
    {"ModelWithoutMarker", nullptr, "Desk Reader", 0, 0, 0, true, true, false, false},
    {"LegicAndTransparentMode", nullptr, nullptr, 1, 1, 0, true, true, true, false},
    {"LegicWithoutTransparentMode", nullptr, nullptr, 1, 0, 0, true, true, false, false},
    {"TransparentModeWithoutLegic", nullptr, nullptr, 0, 1, 0, true, true, false, false},
    {"ExtendedMode", nullptr, nullptr, 0, 0, 1, true, true, false, true},
};

INSTANTIATE_TEST_SUITE_P(Table, DefaultProfileRules, ::testing::ValuesIn(kRuleCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultProfile, ModelMarkerIsIgnoredWhenTheTextIsNotAvailable) {
    ReaderMetadataStruct metadata = ZeroMetadata();
    TavCommon::CopyToFixedField(metadata.ModelText, kModelWithMarker);  // flag stays 0
    const Tav::DefaultReaderCapabilityProfile profile(metadata, {});
    EXPECT_TRUE(profile.HasCapability(READER_CAPABILITY_CONFIGURATION_BLOCK_5));
}

TEST(DefaultProfile, RulesFollowTheRecordTheyWereGivenAfterItChanges) {
    ReaderMetadataStruct metadata = ZeroMetadata();
    const Tav::DefaultReaderCapabilityProfile profile(metadata, {});
    EXPECT_FALSE(profile.HasCapability(READER_CAPABILITY_EXTENDED_CONFIGURATION));
    metadata.SupportsExtendedMode = 1;
    EXPECT_TRUE(profile.HasCapability(READER_CAPABILITY_EXTENDED_CONFIGURATION));
}

TEST(DefaultProfile, EveryOtherCapabilityIsOffered) {
    const ReaderMetadataStruct metadata = ZeroMetadata();
    const Tav::DefaultReaderCapabilityProfile profile(metadata, {});
    for (const auto capability :
         {READER_CAPABILITY_BEEPER, READER_CAPABILITY_SMART_CARD, READER_CAPABILITY_BLUETOOTH,
          READER_CAPABILITY_HID_MOBILE, READER_CAPABILITY_FINGERPRINT, READER_CAPABILITY_HID_SE,
          READER_CAPABILITY_NXP_SE, READER_CAPABILITY_FELICA, READER_CAPABILITY_LEGIC,
          READER_CAPABILITY_QUEUED_CARD_DATA, READER_CAPABILITY_MIFARE_WRITER, READER_CAPABILITY_MODULE_CONTROL,
          READER_CAPABILITY_FIRMWARE_UPGRADE, READER_CAPABILITY_COPY_CONFIGURATION, READER_CAPABILITY_LUID,
          READER_CAPABILITY_LED_CONFIGURATION, READER_CAPABILITY_SYSTEM_UPTIME, READER_CAPABILITY_CONFIGURABLE}) {
        EXPECT_TRUE(profile.HasCapability(capability)) << Tav::ReaderCapabilityToString(capability);
    }
}

class NeverRule : public Tav::CapabilityRule {
public:
    using CapabilityRule::CapabilityRule;
    bool Evaluate() const override { return false; }
};

TEST(CapabilityProfile, AnswersInTheSetsOrderAndFollowsRegisteredRules) {
    const ReaderMetadataStruct metadata = ZeroMetadata();
    Tav::ReaderCapabilityProfile profile(metadata);
    profile.RegisterRule(READER_CAPABILITY_BEEPER, std::make_unique<Tav::CapabilityRule>(metadata));
    profile.RegisterRule(READER_CAPABILITY_LUID, std::make_unique<Tav::CapabilityRule>(metadata));

    Tav::ReaderCapabilitySet set;
    set.WithRequiredCapability(READER_CAPABILITY_LUID)
        .WithRequiredCapability(READER_CAPABILITY_SMART_CARD)
        .WithRequiredCapability(READER_CAPABILITY_LUID)
        .WithRequiredCapability(READER_CAPABILITY_CARD_ANALYZER);
    EXPECT_THAT(set.GetRequiredCapabilities(),
                ElementsAre(READER_CAPABILITY_LUID, READER_CAPABILITY_SMART_CARD, READER_CAPABILITY_CARD_ANALYZER));
    EXPECT_FALSE(profile.IsCapableOf(set));
    EXPECT_THAT(profile.GetUnsupportedCapabilities(set),
                ElementsAre(READER_CAPABILITY_SMART_CARD, READER_CAPABILITY_CARD_ANALYZER));

    // A replaced rule answers instead of the old one.
    profile.RegisterRule(READER_CAPABILITY_LUID, std::make_unique<NeverRule>(metadata));
    EXPECT_FALSE(profile.HasCapability(READER_CAPABILITY_LUID));

    const Tav::ReaderCapabilitySet empty;
    EXPECT_TRUE(profile.IsCapableOf(empty));
    EXPECT_THAT(profile.GetUnsupportedCapabilities(empty), IsEmpty());

    profile.ClearRules();
    EXPECT_FALSE(profile.HasCapability(READER_CAPABILITY_BEEPER));
}

TEST(CapabilityProfile, AnOverriddenHasCapabilityDecidesTheSetQuestionsToo) {
    struct OnlyBeeper : Tav::ReaderCapabilityProfile {
        using ReaderCapabilityProfile::ReaderCapabilityProfile;
        bool HasCapability(Tav::ReaderCapability capability) const override {
            return capability == READER_CAPABILITY_BEEPER;
        }
    };
    const ReaderMetadataStruct metadata = ZeroMetadata();
    const OnlyBeeper profile(metadata);
    Tav::ReaderCapabilitySet set;
    set.WithRequiredCapability(READER_CAPABILITY_BEEPER).WithRequiredCapability(READER_CAPABILITY_LUID);
    EXPECT_FALSE(profile.IsCapableOf(set));
    EXPECT_THAT(profile.GetUnsupportedCapabilities(set), ElementsAre(READER_CAPABILITY_LUID));
}

TEST(ReaderCapabilityToString, NamesEveryValueAndNothingBeyond) {
    EXPECT_EQ(Tav::ReaderCapabilityToString(READER_CAPABILITY_UNKNOWN), "READER_CAPABILITY_UNKNOWN");
    EXPECT_EQ(Tav::ReaderCapabilityToString(READER_CAPABILITY_BEEPER), "READER_CAPABILITY_BEEPER");
    EXPECT_EQ(Tav::ReaderCapabilityToString(READER_CAPABILITY_CARD_ANALYZER), "READER_CAPABILITY_CARD_ANALYZER");
    EXPECT_EQ(Tav::ReaderCapabilityToString(READER_CAPABILITY_CONFIGURABLE), "READER_CAPABILITY_CONFIGURABLE");
    EXPECT_EQ(Tav::ReaderCapabilityToString(static_cast<Tav::ReaderCapability>(25)), "unknown");
    EXPECT_EQ(Tav::ReaderCapabilityToString(static_cast<Tav::ReaderCapability>(0xFFFF)), "unknown");
}

}  // namespace
