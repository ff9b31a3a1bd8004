#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "common/ExtendedConfiguration.h"
#include "common/HashData.h"

namespace {

using namespace TavCommon;
using Bytes = std::vector<uint8_t>;

FieldSeparatorDataHeader ValidHeader(uint8_t fields = 0, uint8_t separators = 0) {
    return {1, 4, 4, fields, 2, separators, 16};
}

// Header (1, 4, 4, 0, 2, 0, 16), no entries, application data (2, 1, 64).
ExtendedConfiguration EmptyConfiguration() {
    ExtendedConfiguration configuration;
    configuration.Header = ValidHeader();
    configuration.ApplicationData = {2, 1, 64};
    return configuration;
}

Bytes Image(std::initializer_list<std::pair<std::size_t, Bytes>> pieces, uint8_t filler = 0xFF) {
    Bytes image(128, filler);
    for (const auto& [offset, bytes] : pieces) {
        std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    return image;
}

// The failure's message and, when given, the function its record names.
void ExpectFailure(const std::function<void()>& action, const std::string& message, const std::string& function = "") {
    try {
        action();
        ADD_FAILURE() << "no exception, expected: " << message;
    } catch (const ElvarinException& error) {
        EXPECT_EQ(error.Message(), message);
        if (!function.empty()) {
            EXPECT_EQ(error.Function(), function) << message;
        }
    }
}

TEST(ExtendedConfigurationCodecTest, EmptyConfigurationIsHeaderFillerAndApplicationData) {
    const Bytes expected = Image({{0, {0x14, 0x40, 0x20, 0x10}}, {126, {0x82, 0x40}}});
    EXPECT_EQ(EmptyConfiguration().ToVector(), expected);
    EXPECT_EQ(ExtendedConfiguration::FromVector(expected), EmptyConfiguration());
}

TEST(ExtendedConfigurationCodecTest, FieldEntryBitsFollowTheHeader) {
    ExtendedConfiguration configuration = EmptyConfiguration();
    configuration.Header.FieldEntryCount = 1;
    configuration.FieldEntries[0] = {1, 2, 10, 1, 0, 0, 0, 0, 1, 1, 5, 8};
    const Bytes image = configuration.ToVector();
    EXPECT_EQ(Bytes(image.begin() + 4, image.begin() + 8), (Bytes{0xCA, 0x83, 0x05, 0x08}));
    EXPECT_EQ(image[8], 0xFF);
    const auto decoded = ExtendedConfiguration::FromVector(image);
    EXPECT_EQ(decoded, configuration);
    EXPECT_EQ(decoded.FieldEntries[0].StartingBitPosition, 5);
    EXPECT_EQ(decoded.FieldEntries[0].BitCountOfField, 8);
}

TEST(ExtendedConfigurationCodecTest, EachFlagOfAFieldEntryHasItsOwnBitOfByte1) {
    const std::pair<uint8_t FieldEntry::*, uint8_t> flags[] = {
        {&FieldEntry::ReverseBits, 0x80}, {&FieldEntry::ReverseBytes, 0x40},    {&FieldEntry::FiveBMS, 0x20},
        {&FieldEntry::InvertBits, 0x10},  {&FieldEntry::ReverseAllBytes, 0x08}, {&FieldEntry::UseHash, 0x02},
        {&FieldEntry::ExtraFlag, 0x01},
    };
    for (const auto& [flag, bit] : flags) {
        SCOPED_TRACE(int{bit});
        FieldEntry entry{};
        entry.*flag = 1;
        EXPECT_EQ(entry.ToVector(), (Bytes{0, bit, 0, 0}));
        EXPECT_EQ(FieldEntry::FromVector(Bytes{0, bit, 0, 0}), entry);
    }
}

TEST(ExtendedConfigurationCodecTest, SeparatorCharactersFollowAllEntriesInTheirSize) {
    for (const uint8_t size : {2, 1}) {
        SCOPED_TRACE(size);
        ExtendedConfiguration configuration = EmptyConfiguration();
        configuration.Header.SeparatorEntryCount = 1;
        SeparatorEntry& entry = configuration.SeparatorEntries[0];
        entry = {1, size, 2, 0, {}};
        entry.Characters[0] = {0x28, size == 2 ? uint8_t{0x02} : uint8_t{0}};
        entry.Characters[1] = {0x2C, 0x00};
        const Bytes image = configuration.ToVector();
        const Bytes expected = size == 2 ? Bytes{0xC2, 0x00, 0x28, 0x02, 0x2C, 0x00, 0xFF}
                                         : Bytes{0x82, 0x00, 0x28, 0x2C, 0xFF, 0xFF, 0xFF};
        EXPECT_EQ(Bytes(image.begin() + 4, image.begin() + 11), expected);
        EXPECT_EQ(ExtendedConfiguration::FromVector(image), configuration);
    }
}

TEST(ExtendedConfigurationCodecTest, ImageLengthRules) {
    ExpectFailure([] { ExtendedConfiguration::FromVector(Bytes(127, 0)); },
                  "ExtendedConfiguration::FromVector requires at least 128 bytes");
    ExpectFailure([] { ExtendedConfiguration::FromVector(Bytes{}); },
                  "ExtendedConfiguration::FromVector requires at least 128 bytes");

    // A longer input keeps its application data in its own last two bytes.
    Bytes longer = EmptyConfiguration().ToVector();
    longer.push_back(0x85);
    longer.push_back(0x20);
    const auto decoded = ExtendedConfiguration::FromVector(longer);
    EXPECT_EQ(decoded.ApplicationData.FieldDefinitionType, 5);
    EXPECT_EQ(decoded.ApplicationData.EnhanceSecurityFlag, 1);
    EXPECT_EQ(decoded.ApplicationData.MaxBitCount, 0x20);
}

TEST(ExtendedConfigurationCodecTest, OddEntrySizesInTheHeaderAreHonouredOrRefused) {
    // Six-byte field entries: the two extra bytes of each are skipped.
    const Bytes wide = Image({{0, {0x14, 0x62, 0x20, 0x10}},
                              {4, {0x81, 0, 3, 4, 0xEE, 0xEE}},
                              {10, {0x82, 0, 5, 6, 0xEE, 0xEE}},
                              {126, {0, 0}}});
    const auto decoded = ExtendedConfiguration::FromVector(wide);
    EXPECT_EQ(decoded.Header.FieldEntrySize, 6);
    EXPECT_EQ(decoded.FieldEntries[0].FixedFieldOutputLength, 1);
    EXPECT_EQ(decoded.FieldEntries[1].FixedFieldOutputLength, 2);
    EXPECT_EQ(decoded.FieldEntries[1].BitCountOfField, 6);

    ExpectFailure(
        [] {
            ExtendedConfiguration::FromVector(Image({{0, {0x14, 0x21, 0x20, 0x10}}}));
        },
        "FieldEntry::FromVector requires at least 4 bytes");
    ExpectFailure(
        [] {
            ExtendedConfiguration::FromVector(Image({{0, {0x14, 0x40, 0x01, 0x10}}}));
        },
        "SeparatorEntry::FromVector requires at least 2 bytes");
}

TEST(ExtendedConfigurationCodecTest, ImagesThatRunPastTheirEndAreRefused) {
    struct Case {
        const char* what;
        Bytes image;
        std::string message;
    };
    const std::vector<Case> cases{
        {"an erased store", Bytes(128, 0xFF),
         "ExtendedConfiguration::FromVector: field entry 8 (14 bytes at offset 116) runs past the end of the "
         "128-byte image"},
        {"separator entries past the end", Image({{0, {0x14, 0x40, 0xFF, 0x10}}}),
         "ExtendedConfiguration::FromVector: separator entry 8 (14 bytes at offset 116) runs past the end of the "
         "128-byte image"},
        {"a separator entry after 31 field entries",
         // 31 four-byte field entries (4..127), then one separator entry that cannot start.
         Image({{0, {0x14, 0x5F, 0x21, 0x10}}}, 0x00),
         "ExtendedConfiguration::FromVector: separator entry 0 (2 bytes at offset 128) runs past the end of the "
         "128-byte image"},
        {"two-byte characters past the end",
         Image({{0, {0x14, 0x40, 0x3F, 0x10}}}, 0x5F),  // 31 separators of 31 two-byte characters
         "ExtendedConfiguration::FromVector: character 0 of separator entry 1 (2 bytes at offset 128) runs past the "
         "end of the 128-byte image"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ExpectFailure([&] { ExtendedConfiguration::FromVector(testCase.image); }, testCase.message, "FromVector");
    }
}

TEST(ExtendedConfigurationCodecTest, ArbitraryImagesDecodeOrFailCleanly) {
    std::mt19937 random(0xE7C0F1u);
    std::uniform_int_distribution<int> byte(0, 255);
    int decoded = 0;
    for (int round = 0; round < 20000; ++round) {
        Bytes image(128 + round % 3);
        for (auto& value : image) {
            value = static_cast<uint8_t>(byte(random));
        }
        if (round % 2 == 0) {
            // Plausible sizes and small counts reach the characters far more often.
            image[1] = static_cast<uint8_t>(0x40 | (image[1] & 0x07));
            image[2] = static_cast<uint8_t>(0x20 | (image[2] & 0x07));
        }
        try {
            const auto configuration = ExtendedConfiguration::FromVector(image);
            ++decoded;
            // Whatever decodes with the sizes the encoder writes, and fits, re-encodes to the same content.
            if (configuration.Header.FieldEntrySize != 4 || configuration.Header.SeparatorEntrySize != 2) {
                continue;
            }
            try {
                const Bytes again = configuration.ToVector();
                EXPECT_EQ(ExtendedConfiguration::FromVector(again), configuration);
            } catch (const ElvarinException&) {
            }
        } catch (const ElvarinException&) {
        }
    }
    EXPECT_GT(decoded, 1000);
}

// A random configuration that a reader accepts and that fits the image.
ExtendedConfiguration RandomValidConfiguration(std::mt19937& random) {
    auto pick = [&random](int low, int high) {
        return static_cast<uint8_t>(std::uniform_int_distribution<int>(low, high)(random));
    };
    ExtendedConfiguration configuration;
    configuration.Header = ValidHeader();
    configuration.ApplicationData = {pick(0, 5), pick(0, 1), pick(0, 255)};
    std::size_t room = ExtendedConfiguration::kContentLimit - 4;
    const uint8_t fields = pick(0, 20);
    for (uint8_t i = 0; i < fields; ++i) {
        configuration.FieldEntries[i] = {pick(0, 1), pick(0, 3), pick(0, 31), pick(0, 1), pick(0, 1),   pick(0, 1),
                                         pick(0, 1), pick(0, 1), pick(0, 1),  pick(0, 1), pick(0, 255), pick(0, 255)};
        room -= 4;
    }
    configuration.Header.FieldEntryCount = fields;
    uint8_t separators = 0;
    while (separators < 31 && room >= 2 && pick(0, 3) != 0) {
        SeparatorEntry& entry = configuration.SeparatorEntries[separators];
        entry.SeparatorValid = pick(0, 1);
        entry.CharacterSize = pick(1, 2);
        entry.VirtualCharacterCount =
            std::min<uint8_t>(pick(0, 31), static_cast<uint8_t>((room - 2) / entry.CharacterSize));
        entry.ByteOffset = pick(0, 255);
        for (uint8_t j = 0; j < entry.VirtualCharacterCount; ++j) {
            entry.Characters[j] = {pick(0, 231), entry.CharacterSize == 2 ? pick(0, 255) : uint8_t{0}};
        }
        room -= 2 + entry.VirtualCharacterCount * entry.CharacterSize;
        ++separators;
    }
    configuration.Header.SeparatorEntryCount = separators;
    return configuration;
}

TEST(ExtendedConfigurationCodecTest, ValidConfigurationsSurviveTheRoundTrip) {
    std::mt19937 random(0x128u);
    for (int round = 0; round < 3000; ++round) {
        const ExtendedConfiguration configuration = RandomValidConfiguration(random);
        const Bytes image = configuration.ToVector();
        ASSERT_EQ(image.size(), 128u);
        const auto decoded = ExtendedConfiguration::FromVector(image);
        ASSERT_EQ(decoded, configuration) << "round " << round;
        ASSERT_EQ(decoded.ToVector(), image);
    }
}

TEST(ExtendedConfigurationEncodeTest, ContentMustEndBeforeTheApplicationData) {
    // 4 + 30 * 4 + 2 = 126 bytes: fits exactly.
    ExtendedConfiguration configuration = EmptyConfiguration();
    configuration.Header.FieldEntryCount = 30;
    configuration.Header.SeparatorEntryCount = 1;
    configuration.SeparatorEntries[0] = {1, 1, 0, 0, {}};
    const Bytes image = configuration.ToVector();
    EXPECT_EQ(image[124], 0x80);
    EXPECT_EQ(Bytes(image.begin() + 126, image.end()), (Bytes{0x82, 0x40}));

    // One more character would overwrite the application data.
    configuration.SeparatorEntries[0].VirtualCharacterCount = 1;
    ExpectFailure([&] { configuration.ToVector(); },
                  "ExtendedConfiguration::ToVector: header, entries and characters take 127 bytes; at most 126 fit "
                  "before the application data",
                  "ToVector");
}

TEST(ExtendedConfigurationEncodeTest, RefusesWhatTheImageCannotExpress) {
    struct Case {
        const char* what;
        std::function<void(ExtendedConfiguration&)> change;
        std::string message;
    };
    const std::vector<Case> cases{
        {"field entries", [](auto& c) { c.Header.FieldEntryCount = 32; },
         "ExtendedConfiguration::ToVector: field entry count 32 exceeds 31"},
        {"separator entries", [](auto& c) { c.Header.SeparatorEntryCount = 255; },
         "ExtendedConfiguration::ToVector: separator entry count 255 exceeds 31"},
        {"characters",
         [](auto& c) {
             c.Header.SeparatorEntryCount = 2;
             c.SeparatorEntries[0] = {1, 1, 0, 0, {}};
             c.SeparatorEntries[1] = {1, 1, 40, 0, {}};
         },
         "ExtendedConfiguration::ToVector: separator entry 1 has 40 characters, at most 31"},
        {"character size 0",
         [](auto& c) {
             c.Header.SeparatorEntryCount = 1;
             c.SeparatorEntries[0] = {1, 0, 1, 0, {}};
         },
         "ExtendedConfiguration::ToVector: separator entry 0 has character size 0, which must be 1 or 2"},
        {"character size 3",
         [](auto& c) {
             c.Header.SeparatorEntryCount = 1;
             c.SeparatorEntries[0] = {1, 3, 1, 0, {}};
         },
         "ExtendedConfiguration::ToVector: separator entry 0 has character size 3, which must be 1 or 2"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        ExtendedConfiguration configuration = EmptyConfiguration();
        testCase.change(configuration);
        ExpectFailure([&] { configuration.ToVector(); }, testCase.message, "ToVector");
    }
}

TEST(ExtendedConfigurationEqualityTest, ComparesOnlyTheEntriesAndCharactersInUse) {
    ExtendedConfiguration left = EmptyConfiguration();
    left.Header.FieldEntryCount = 1;
    left.Header.SeparatorEntryCount = 1;
    left.SeparatorEntries[0] = {1, 1, 1, 0, {}};
    ExtendedConfiguration right = left;

    right.FieldEntries[1].UseHash = 1;
    right.SeparatorEntries[1].ByteOffset = 9;
    right.SeparatorEntries[0].Characters[1].USBKeyScanCode = 4;
    EXPECT_EQ(left, right);

    right.SeparatorEntries[0].Characters[0].SecondByte = 1;  // in use, both bytes count
    EXPECT_NE(left, right);
    right = left;
    right.FieldEntries[0].ExtraFlag = 1;
    EXPECT_NE(left, right);
    right = left;
    right.ApplicationData.MaxBitCount = 1;
    EXPECT_NE(left, right);

    // Counts set by hand beyond the slots compare the slots there are.
    left.Header.FieldEntryCount = right.Header.FieldEntryCount = 200;
    left.Header.SeparatorEntryCount = right.Header.SeparatorEntryCount = 200;
    left.SeparatorEntries[0].VirtualCharacterCount = right.SeparatorEntries[0].VirtualCharacterCount = 200;
    right.ApplicationData = left.ApplicationData;
    right.FieldEntries[0] = left.FieldEntries[0];
    EXPECT_EQ(left, right);
}

TEST(ExtendedConfigurationValidateTest, EachPartReportsItsFirstFailure) {
    struct Case {
        const char* what;
        std::function<void()> validate;
        std::string message;  // empty: valid
    };
    auto header = [](auto change) {
        return [change] {
            FieldSeparatorDataHeader h = ValidHeader(31, 31);
            change(h);
            h.Validate();
        };
    };
    auto field = [](auto change) {
        return [change] {
            FieldEntry entry{1, 3, 31, 1, 1, 1, 1, 1, 1, 200, 255, 255};
            change(entry);
            entry.Validate();
        };
    };
    auto separator = [](auto change) {
        return [change] {
            SeparatorEntry entry{1, 2, 31, 0, {}};
            change(entry);
            entry.Validate();
        };
    };
    auto application = [](ApplicationData data) { return [data] { data.Validate(); }; };
    auto character = [](uint8_t code) { return [code] { SeparatorCharacter{code, 255}.Validate(); }; };

    const std::vector<Case> cases{
        {"valid header", header([](auto&) {}), ""},
        {"version 0 before any size", header([](auto& h) {
             h.StructureVersion = 0;
             h.HeaderSize = 9;
         }),
         "FieldSeparator Structure Version value must be greater than 0"},
        {"header size", header([](auto& h) { h.HeaderSize = 5; }), "Header size value must be equal to 4"},
        {"field entry size", header([](auto& h) { h.FieldEntrySize = 6; }),
         "Field entry size value must be equal to 4"},
        {"separator entry size", header([](auto& h) { h.SeparatorEntrySize = 4; }),
         "Separator entry size value must be equal to 2"},
        {"storage size", header([](auto& h) { h.MaxStorageSize = 15; }), "Max storage size value must be equal to 16"},
        {"field count", header([](auto& h) { h.FieldEntryCount = 32; }),
         "FieldSeparatorDataHeader::FieldEntryCount setting must be between 0 and 31 inclusive"},
        {"separator count", header([](auto& h) { h.SeparatorEntryCount = 32; }),
         "FieldSeparatorDataHeader::SeparatorEntryCount setting must be between 0 and 31 inclusive"},

        {"valid field entry", field([](auto&) {}), ""},
        {"field valid", field([](auto& f) { f.FieldValid = 2; }),
         "FieldEntry::FieldValid setting must be between 0 and 1 inclusive"},
        {"output length", field([](auto& f) { f.FixedFieldOutputLength = 32; }),
         "FieldEntry::FixedFieldOutputLength setting must be between 0 and 31 inclusive"},
        {"reverse bits", field([](auto& f) { f.ReverseBits = 2; }),
         "FieldEntry::ReverseBits setting must be between 0 and 1 inclusive"},
        {"reverse bytes", field([](auto& f) { f.ReverseBytes = 2; }),
         "FieldEntry::ReverseBytes setting must be between 0 and 1 inclusive"},
        {"five BMS", field([](auto& f) { f.FiveBMS = 2; }),
         "FieldEntry::FiveBMS setting must be between 0 and 1 inclusive"},
        {"invert bits", field([](auto& f) { f.InvertBits = 2; }),
         "FieldEntry::InvertBits setting must be between 0 and 1 inclusive"},
        {"reverse all bytes", field([](auto& f) { f.ReverseAllBytes = 2; }),
         "FieldEntry::ReverseAllBytes setting must be between 0 and 1 inclusive"},
        {"use hash", field([](auto& f) { f.UseHash = 2; }),
         "FieldEntry::UseHash setting must be between 0 and 1 inclusive"},
        {"conversion type after the ranges", field([](auto& f) {
             f.ConversionType = 4;
             f.UseHash = 2;
         }),
         "FieldEntry::UseHash setting must be between 0 and 1 inclusive"},
        {"conversion type", field([](auto& f) { f.ConversionType = 4; }),
         "Invalid Conversion Type value was specified"},

        {"valid separator", separator([](auto&) {}), ""},
        {"separator valid", separator([](auto& s) { s.SeparatorValid = 2; }),
         "SeparatorEntry::SeparatorValid setting must be between 0 and 1 inclusive"},
        {"character size 0", separator([](auto& s) { s.CharacterSize = 0; }),
         "SeparatorEntry::CharacterSize setting must be between 1 and 2 inclusive"},
        {"character count", separator([](auto& s) { s.VirtualCharacterCount = 32; }),
         "SeparatorEntry::VirtualCharacterCount setting must be between 0 and 31 inclusive"},
        {"character in use", separator([](auto& s) { s.Characters[30].USBKeyScanCode = 232; }),
         "SeparatorCharacter::USBKeyScanCode setting must be between 0 and 231 inclusive"},
        {"character not in use", separator([](auto& s) {
             s.VirtualCharacterCount = 30;
             s.Characters[30].USBKeyScanCode = 232;
         }),
         ""},
        {"scan code 231", character(231), ""},
        {"scan code 232", character(232),
         "SeparatorCharacter::USBKeyScanCode setting must be between 0 and 231 inclusive"},

        {"valid application data", application({5, 1, 255}), ""},
        {"definition type", application({6, 2, 0}), "Invalid Field Definition Type value was specified"},
        {"security flag", application({0, 2, 0}),
         "ApplicationData::EnhanceSecurityFlag setting must be between 0 and 1 inclusive"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        if (testCase.message.empty()) {
            EXPECT_NO_THROW(testCase.validate());
        } else {
            ExpectFailure(testCase.validate, testCase.message);
        }
    }
}

TEST(ExtendedConfigurationValidateTest, FixedTextFailuresNameTheirPart) {
    const std::vector<std::pair<std::function<void()>, std::string>> cases{
        {[] { FieldSeparatorDataHeader{}.Validate(); }, "FieldSeparatorDataHeader"},
        {[] { FieldEntry{0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}.Validate(); }, "FieldEntry"},
        {[] {
             ApplicationData{6, 0, 0}.Validate();
         },
         "ApplicationData"},
    };
    for (const auto& [validate, file] : cases) {
        try {
            validate();
            ADD_FAILURE() << file;
        } catch (const ElvarinException& error) {
            EXPECT_EQ(error.File(), file);
            EXPECT_EQ(error.Function(), "Validate");
        }
    }
    try {
        SeparatorCharacter{232, 0}.Validate();
        FAIL();
    } catch (const ElvarinException& error) {
        EXPECT_EQ(error.File(), "ElvarinException");
        EXPECT_EQ(error.Function(), "ThrowExceptionForPropertyOutOfRange");
    }
}

TEST(ExtendedConfigurationPartsTest, PartDecodersNeedTheirBytes) {
    const Bytes none;
    ExpectFailure([&] { FieldSeparatorDataHeader::FromVector(Bytes(3, 0)); },
                  "FieldSeparatorDataHeader::FromVector requires at least 4 bytes");
    ExpectFailure([&] { FieldEntry::FromVector(Bytes(3, 0)); }, "FieldEntry::FromVector requires at least 4 bytes");
    ExpectFailure([&] { SeparatorEntry::FromVector(Bytes(1, 0)); },
                  "SeparatorEntry::FromVector requires at least 2 bytes");
    ExpectFailure([&] { SeparatorCharacter::FromVector(none); },
                  "SeparatorCharacter::FromVector requires at least 1 byte");
    ExpectFailure([&] { ApplicationData::FromVector(Bytes(1, 0)); },
                  "ApplicationData::FromVector requires at least 2 bytes");
    try {
        FieldEntry::FromVector(none);
    } catch (const ElvarinException& error) {
        EXPECT_EQ(error.File(), "FieldEntry");
        EXPECT_EQ(error.Function(), "FromVector");
    }

    EXPECT_EQ(SeparatorCharacter::FromVector(Bytes{7}), (SeparatorCharacter{7, 0}));
    EXPECT_EQ(SeparatorCharacter::FromVector(Bytes{7, 9}), (SeparatorCharacter{7, 9}));
    EXPECT_EQ((SeparatorCharacter{7, 9}.ToVector(1)), Bytes{7});
    EXPECT_EQ((SeparatorCharacter{7, 9}.ToVector(0)), Bytes{7});
    EXPECT_EQ((SeparatorCharacter{7, 9}.ToVector(2)), (Bytes{7, 9}));

    const auto separator = SeparatorEntry::FromVector(Bytes{0xFF, 0x30});
    EXPECT_EQ(separator.SeparatorValid, 1);
    EXPECT_EQ(separator.CharacterSize, 2);
    EXPECT_EQ(separator.VirtualCharacterCount, 31);
    EXPECT_EQ(separator.ByteOffset, 0x30);
    EXPECT_EQ(separator.Characters[0], SeparatorCharacter{});
    EXPECT_EQ(separator.ToVector(), (Bytes{0xDF, 0x30}));  // bit 5 is never written

    // Members are cut to their wire bits.
    EXPECT_EQ((FieldSeparatorDataHeader{0x1F, 0x14, 4, 0x3F, 2, 0x21, 16}.ToVector()), (Bytes{0xF4, 0x5F, 0x21, 0x10}));
    EXPECT_EQ((ApplicationData{0x0F, 3, 7}.ToVector()), (Bytes{0x87, 7}));
    EXPECT_EQ(ApplicationData::FromVector(Bytes{0x7F, 1}), (ApplicationData{7, 0, 1}));
}

TEST(HashDataTest, IsZeroOnlyWhenEveryByteIsZero) {
    HashData hash;
    EXPECT_TRUE(HashData::IsZero(hash.Hash1));
    EXPECT_TRUE(HashData::IsZero(hash.Hash2));
    EXPECT_EQ(hash.EnhanceSecurityFirmwareState, 0);
    for (std::size_t i = 0; i < HashData::kHashSize; ++i) {
        HashData one;
        one.Hash2[i] = 0x01;
        EXPECT_TRUE(HashData::IsZero(one.Hash1));
        EXPECT_FALSE(HashData::IsZero(one.Hash2)) << i;
    }
}

}  // namespace
