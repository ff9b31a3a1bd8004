#include "files/HwgPropertyMapping.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "FileFixture.h"
#include "HwgFixtures.h"

namespace {

using TavCommon::HwgPropertyEntry;
using TavCommon::HwgPropertyMapping;
using TavCommon::ReaderConfiguration;
using TavTest::HwgFixtures;

const HwgPropertyEntry& Property(const std::string& name) {
    for (const auto& section : HwgPropertyMapping::Mappings()) {
        for (const auto& property : section.properties) {
            if (property.name == name) {
                return property;
            }
        }
    }
    throw std::out_of_range(name);
}

// Applies name/value pairs in order, as a file's lines would.
ReaderConfiguration Apply(const std::vector<std::pair<std::string, std::string>>& values) {
    ReaderConfiguration configuration{};
    for (const auto& [name, value] : values) {
        Property(name).setter(configuration, value);
    }
    return configuration;
}

class HwgPropertyMappingTest : public TavTest::FileFixture {};

TEST_F(HwgPropertyMappingTest, SectionsInFileOrder) {
    const auto& sections = HwgPropertyMapping::Mappings();
    std::size_t properties = 0;
    for (const auto& section : sections) {
        properties += section.properties.size();
    }
    ASSERT_EQ(sections.size(), 13u);
    EXPECT_EQ(properties, 56u);
    EXPECT_EQ(sections.front().name, "AZERTYShiftLock");
    EXPECT_EQ(sections.front().properties.front().name, "AZERTYShiftlock");
    EXPECT_EQ(sections.back().name, "");
    EXPECT_EQ(sections.back().properties.front().name, "CardType");
    EXPECT_EQ(sections.back().properties.back().name, "CardPriority");
}

// Every getter's text, given to the setters in table order, gives the configuration again: each
// property reaches its own field.
TEST_F(HwgPropertyMappingTest, GetterTextsSetTheSameConfiguration) {
    for (const auto& original : {HwgFixtures::ConfigurationA(), HwgFixtures::ConfigurationC(), ReaderConfiguration{}}) {
        ReaderConfiguration copy{};
        for (const auto& section : HwgPropertyMapping::Mappings()) {
            for (const auto& property : section.properties) {
                property.setter(copy, property.getter(original));
            }
        }
        EXPECT_TRUE(HwgFixtures::SameBytes(copy, original));
    }
}

TEST_F(HwgPropertyMappingTest, CharactersAreCompactedAndCountsFollowThem) {
    const auto c = Apply({{"iLeadChrCnt", "abc"},
                          {"iLeadChr0", "0"},
                          {"iLeadChr1", "65"},
                          {"iCrdGnChr0", "0"},
                          {"iCrdGnChr1", "13"},
                          {"iTrailChrCnt", "3"},
                          {"iTrailChr0", "66"}});
    EXPECT_EQ(c.GetLeadingCharacter(0), 65);
    EXPECT_EQ(c.CardGoneCharacter[0], 13);
    EXPECT_EQ(c.CardGoneCharacter[1], 0);
    EXPECT_EQ(Property("iLeadChrCnt").getter(c), "1");
    EXPECT_EQ(Property("iTrailChrCnt").getter(c), "1");
    EXPECT_EQ(Property("iTrailChr0").getter(c), "66");
}

TEST_F(HwgPropertyMappingTest, BootDeviceFlagIsInverted) {
    ReaderConfiguration c{};
    c.SetUxLed(1);
    Property("bNotBootDev").setter(c, "1");
    EXPECT_EQ(c.UxLed, 0);
    EXPECT_EQ(Property("bNotBootDev").getter(c), "1");
    c.SetUxLed(7);
    EXPECT_EQ(Property("bNotBootDev").getter(c), "0");
}

// Numbers are refused outside their field, never cut to its low bits.
TEST_F(HwgPropertyMappingTest, ValuesTheFieldCannotHoldAreRefused) {
    const struct {
        std::vector<std::pair<std::string, std::string>> values;
        std::string message;
    } cases[] = {
        {{{"bSndFac", "true"}}, "Invalid boolean string: \"true\""},
        {{{"bSndFac", "01"}}, "Invalid boolean string: \"01\""},
        {{{"bSndFac", ""}}, "Invalid boolean string: \"\""},
        {{{"bSndFac", std::string(300, '1')}}, "Invalid boolean string: \"" + std::string(200, '1') + "...\""},
        {{{"iFACDispLen", "27"}},
         "ReaderConfigurationStruct::FacDigitCount setting must be between 0 and 26 inclusive"},
        {{{"iBitStrmTO", "1021"}}, "LegacyBitStreamTimeOutMs must be a multiple of 4 milliseconds"},
        {{{"iBitStrmTO", "1024"}},
         "ReaderConfigurationStruct::LegacyBitStreamTimeOutMs setting must be between 0 and 1020 inclusive"},
        {{{"iIDHoldTO", "75"}}, "DataHoldTimeMs must be a multiple of 50 milliseconds"},
        {{{"iIDHoldTO", "-50"}}, "iIDHoldTO out of range (0 to 65535): -50"},
        {{{"iIDBitCnt", "300"}}, "iIDBitCnt out of range (0 to 255): 300"},
        {{{"iFACIDDelim", "-1"}}, "iFACIDDelim out of range (0 to 255): -1"},
        {{{"CardType", "65536"}}, "CardType out of range (0 to 65535): 65536"},
        {{{"iLeadChr0", "321"}}, "iLeadChr0 out of range (0 to 255): 321"},
        {{{"iIDBitCnt", "0x1A"}}, "Invalid integer string: \"0x1A\""},
        {{{"iLeadChr0", "65"}, {"iLeadChr1", "66"}, {"iTrailChr0", "67"}, {"iTrailChr1", "68"}},
         "Cannot add more than 3 Leading/Trailing Characters in total"},
        {{{"iCrdGnChr0", "1"}, {"iCrdGnChr1", "2"}, {"iCrdGnChr1", "3"}},
         "Cannot add more than 2 Card Gone Characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ExpectFailure([&] { Apply(c.values); }, c.message);
    }
}

}  // namespace
