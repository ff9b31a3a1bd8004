#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "common/CardTypeRegistry.h"
#include "common/CardTypeResolver.h"

namespace {

using namespace TavCommon;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

std::vector<std::string> Names(const std::vector<CardType>& types) {
    std::vector<std::string> names;
    for (const auto& type : types) {
        names.push_back(type.GetName());
    }
    return names;
}

TEST(CardTypeRegistryTest, HoldsTheCatalogueInOrder) {
    EXPECT_EQ(CardTypeRegistry::Count(), 122u);
    const auto all = CardTypeRegistry::GetAll();
    ASSERT_EQ(all.size(), 122u);
    EXPECT_EQ(all.front().GetName(), "OFF");
    EXPECT_EQ(all.front().GetDescription(), "--- OFF ---");
    EXPECT_EQ(all[2].GetName(), "READ_ALL_HF");
    EXPECT_EQ(all.back().GetName(), "WAVELYNX_NFC_WALLET_PLUS_LEAF");
    EXPECT_EQ(all.back().GetCode(), 0x030F);
    EXPECT_EQ(GetCardTypeCatalogueVersion(), 0x0302u);
    EXPECT_EQ(GetCardTypeCatalogueVersionString(), "02.03.00");
}

TEST(CardTypeRegistryTest, CodesNamesAndDescriptionsAreUniqueAndFindTheirEntry) {
    std::set<uint16_t> codes;
    for (const auto& type : CardTypeRegistry::GetAll()) {
        SCOPED_TRACE(type.GetName());
        EXPECT_TRUE(codes.insert(type.GetCode()).second);
        const auto byName = CardTypeRegistry::FindByName(type.GetName());
        ASSERT_TRUE(byName.has_value());
        EXPECT_EQ(byName->GetCode(), type.GetCode());
        const auto byDescription = CardTypeRegistry::FindByDescription(type.GetDescription());
        ASSERT_TRUE(byDescription.has_value());
        EXPECT_EQ(byDescription->GetCode(), type.GetCode());
        EXPECT_THAT(Names(CardTypeRegistry::FindByExactCode(type.GetCode())), ElementsAre(type.GetName()));
        EXPECT_LE(type.GetDescription().size(), 127u);
        EXPECT_LE(type.GetName().size(), 63u);
    }
}

TEST(CardTypeRegistryTest, ClassificationBytesFollowTheirRows) {
    std::map<std::pair<int, int>, int> pairs;
    for (const auto& type : CardTypeRegistry::GetAll()) {
        ++pairs[{type.GetFlags(), type.GetFlags2()}];
    }
    EXPECT_EQ(pairs, (std::map<std::pair<int, int>, int>{
                         {{0, 0}, 1}, {{1, 2}, 13}, {{3, 1}, 9}, {{2, 4}, 1}, {{2, 2}, 43}, {{2, 3}, 55}}));
    const auto byName = [](const char* name) { return *CardTypeRegistry::FindByName(name); };
    EXPECT_EQ(byName("READ_ALL_LF_HF").GetFlags(), 2);
    EXPECT_EQ(byName("READ_ALL_LF_HF").GetFlags2(), 4);
    EXPECT_EQ(byName("READ_ALL_LF").GetFlags2(), 3);
    EXPECT_EQ(byName("SAFETRUST").GetFlags(), 3);
    EXPECT_EQ(byName("SAFETRUST").GetFlags2(), 1);
    EXPECT_EQ(byName("HID_SEOS").GetFlags(), 1);
    EXPECT_EQ(byName("HID_SEOS").GetFlags2(), 2);
}

TEST(CardTypeRegistryTest, NameAndDescriptionLookupsIgnoreCase) {
    for (const char* name : {"read_all_hf", "READ_ALL_HF", "Read_All_Hf"}) {
        const auto found = CardTypeRegistry::FindByName(name);
        ASSERT_TRUE(found.has_value()) << name;
        EXPECT_EQ(found->GetCode(), 0x6F06);
    }
    EXPECT_FALSE(CardTypeRegistry::FindByName("").has_value());
    EXPECT_FALSE(CardTypeRegistry::FindByName("READ_ALL_HF ").has_value());
    EXPECT_EQ(CardTypeRegistry::FindByDescription("iso 15693  csn")->GetName(), "ISO15693");
    EXPECT_FALSE(CardTypeRegistry::FindByDescription("ISO 15693 CSN").has_value());
    EXPECT_EQ(CardTypeRegistry::FindByDescription("FIDO2/U2F")->GetName(), "FIDO_ISO14443A");
    EXPECT_EQ(CardTypeRegistry::FindByDescription("nexkey, quadrakey, keymate, 2smart key (honeywell)")->GetCode(),
              0xF722);
    EXPECT_EQ(CardTypeRegistry::ToLower("MiXeD 123_"), "mixed 123_");
}

TEST(CardTypeRegistryTest, FindByCodeIgnoresBits4To7) {
    EXPECT_THAT(Names(CardTypeRegistry::FindByCode(0xFB01)), UnorderedElementsAre("EM", "DIGITAG", "ROSSLARE"));
    EXPECT_THAT(Names(CardTypeRegistry::FindByCode(0xFB31)), UnorderedElementsAre("EM", "DIGITAG", "ROSSLARE"));
    EXPECT_TRUE(CardTypeRegistry::FindByCode(0x1234).empty());
    EXPECT_TRUE(CardTypeRegistry::FindByExactCode(0xF702).empty());

    // Every family of variants in the catalogue.
    std::map<uint16_t, std::set<std::string>> families;
    for (const auto& type : CardTypeRegistry::GetAll()) {
        families[type.GetCode() & 0xFF0F].insert(type.GetName());
    }
    std::erase_if(families, [](const auto& family) { return family.second.size() < 2; });
    EXPECT_EQ(families, (std::map<uint16_t, std::set<std::string>>{
                            {0x7E01, {"ICODE", "MYD_CSN", "ISO15693", "ETAG", "TAGIT_CSN"}},
                            {0x7F01, {"DESFIRE", "ITAG", "ISO14443A", "ADVANT", "MIFARE_CSN", "MIFARE_ULTRALIGHT_CSN"}},
                            {0xE902, {"PARADOX", "CDVI", "POSTECH"}},
                            {0xEA01, {"KERI_NXT_UID", "PYRAMID_UID", "FARPOINTE_UID"}},
                            {0xEA02, {"KERI_PSC1", "PYRAMID_PSC1", "FARPOINTE_PSC1"}},
                            {0xF602, {"CARDAX", "RUSSWIN_UID"}},
                            {0xF702, {"NEXWATCH", "NEXKEY"}},
                            {0xFB01, {"EM", "DIGITAG", "ROSSLARE"}},
                        }));
}

void ExpectResolverFailure(const std::function<void()>& resolve, const std::string& message,
                           const std::string& function) {
    try {
        resolve();
        ADD_FAILURE() << "resolved";
    } catch (const ElvarinException& error) {
        EXPECT_EQ(error.Message(), message);
        EXPECT_EQ(error.File(), "CardTypeResolver");
        EXPECT_EQ(error.Function(), function);
    }
}

TEST(CardTypeResolverTest, SupportedCodesResolveToTheirEntriesOrFamilies) {
    struct Case {
        uint16_t code;
        std::vector<std::string> names;
    };
    const std::vector<Case> cases{
        {0xFB01, {"DIGITAG", "EM", "ROSSLARE"}},  // an entry with variants brings them along
        {0xFB11, {"DIGITAG"}},
        {0xF702, {"NEXKEY", "NEXWATCH"}},  // a family code that is no entry of its own
        {0x0000, {"OFF"}},
        {0x6F06, {"READ_ALL_HF"}},
        {0x0100, {"HID_ICLASS_ID"}},
        {0x7F41, {"MIFARE_CSN"}},
        {0x7F01, {"DESFIRE", "ITAG", "ISO14443A", "ADVANT", "MIFARE_CSN", "MIFARE_ULTRALIGHT_CSN"}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.code);
        EXPECT_THAT(Names(CardTypeResolver::ResolveSupportedCardType(testCase.code)),
                    ::testing::UnorderedElementsAreArray(testCase.names));
    }
    // In catalogue order.
    EXPECT_THAT(Names(CardTypeResolver::ResolveSupportedCardType(0xFB01)), ElementsAre("DIGITAG", "EM", "ROSSLARE"));

    for (const uint16_t code : {0x1204, 0x1234, 0xFFFF}) {
        ExpectResolverFailure([code] { CardTypeResolver::ResolveSupportedCardType(code); },
                              "Reader provided a card type '0x" + fmt::format("{:X}", code) +
                                  "' that is not currently tracked. It may not exist, or it may be very new.",
                              "ResolveSupportedCardType");
    }
}

TEST(CardTypeResolverTest, ConfiguredCodesResolveToOneEntry) {
    EXPECT_EQ(CardTypeResolver::ResolveConfiguredCardType(0xFB01)->GetName(), "EM");
    EXPECT_EQ(CardTypeResolver::ResolveConfiguredCardType(0xF712)->GetName(), "NEXWATCH");
    EXPECT_EQ(CardTypeResolver::ResolveConfiguredCardType(0x0000)->GetName(), "OFF");
    EXPECT_FALSE(CardTypeResolver::ResolveConfiguredCardType(0x1234).has_value());
    for (const uint16_t code : {0xF702, 0x1204, 0x0F00}) {
        ExpectResolverFailure([code] { CardTypeResolver::ResolveConfiguredCardType(code); },
                              "Card type '0x" + fmt::format("{:X}", code) +
                                  "' refers to multiple card types. Please reconfigure the reader with a valid, "
                                  "single card type.",
                              "ResolveConfiguredCardType");
    }
}

TEST(CardTypeRecordTest, FlatRecordsCarryEveryField) {
    const auto em = *CardTypeRegistry::FindByName("EM");
    const TavCardType record = em.ToCRecord();
    EXPECT_EQ(uint16_t{record.code}, 0xFB01);
    EXPECT_STREQ(record.description, em.GetDescription().c_str());
    EXPECT_STREQ(record.name, "EM");
    EXPECT_EQ(record.flags, 2);
    EXPECT_EQ(record.flags2, 3);
    for (std::size_t i = 3; i < sizeof record.name; ++i) {
        EXPECT_EQ(record.name[i], 0) << i;
    }

    const CardType back(record);
    EXPECT_EQ(back.GetCode(), em.GetCode());
    EXPECT_EQ(back.GetDescription(), em.GetDescription());
    EXPECT_EQ(back.GetName(), "EM");
    EXPECT_EQ(back.GetFlags(), 2);
    EXPECT_EQ(back.GetFlags2(), 3);
}

TEST(CardTypeRecordTest, LongTextsAreCutAndTerminated) {
    const CardType type(0x1234, std::string(200, 'd'), std::string(100, 'n'), 7, 8);
    const TavCardType record = type.ToCRecord();
    EXPECT_EQ(std::string(record.description), std::string(127, 'd'));
    EXPECT_EQ(record.description[127], 0);
    EXPECT_EQ(std::string(record.name), std::string(63, 'n'));
    EXPECT_EQ(record.name[63], 0);
    EXPECT_EQ(record.flags, 7);
    EXPECT_EQ(record.flags2, 8);
}

TEST(CardTypeRecordTest, UnterminatedHostRecordsAreReadWithinTheirFields) {
    TavCardType record;
    std::memset(&record, 'x', sizeof record);
    const CardType type(record);
    EXPECT_EQ(type.GetDescription(), std::string(128, 'x'));
    EXPECT_EQ(type.GetName(), std::string(64, 'x'));
}

}  // namespace
