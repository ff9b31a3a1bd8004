#include "common/ReaderConfigurationBlock3.h"

#include <array>

#include "common/ConfigurationBlockCodec.h"

namespace TavProtocol {

namespace {

using Block = ReaderConfigurationBlock3;
using Codec = ConfigurationBlockCodec<Block>;
using Member = ConfigurationBlockMember<Block>;

// member, name, text-form label ("" = not printed), byte, first bit, width, valid maximum
constexpr std::array<Member, 21> kMembers{{
    {&Block::LedRed, "LedRed", "EnableRedLed: ", 0, 0, 1, 1},
    {&Block::LedGreen, "LedGreen", "EnableGreenLed: ", 0, 1, 1, 1},
    {&Block::OemRelay, "OemRelay", "EnableOemRelay: ", 0, 2, 1, 1},
    {&Block::OemBeeper, "OemBeeper", "EnableOemBeeper: ", 0, 3, 1, 1},
    {&Block::UxLed, "UxLed", "UxLed: ", 0, 4, 1, 1},
    {&Block::_, "_", "_: ", 0, 5, 3, 7},
    {&Block::UseLeadChars, "UseLeadChars", "UseLeadingCharacters: ", 1, 0, 1, 1},
    {&Block::LedControlFlag, "LedControlFlag", "EnabledSoftwareControlledLed: ", 1, 1, 1, 1},
    {&Block::DisplayFormatHex, "DisplayFormatHex", "UseHexadecimalForBothFacAndId: ", 1, 2, 1, 1},
    {&Block::WiegandDataInvert, "WiegandDataInvert", "InvertWiegandBits: ", 1, 3, 1, 1},
    {&Block::BeepIdValid, "BeepIdValid", "EnableBeepOnCardRead: ", 1, 4, 1, 1},
    {&Block::WiegandBitReverse, "WiegandBitReverse", "ReverseWiegandBits: ", 1, 5, 1, 1},
    {&Block::WiegandByteReverse, "WiegandByteReverse", "ReverseWiegandBytes: ", 1, 6, 1, 1},
    {&Block::UseDataInvert, "UseDataInvert", "UseDataInvert: ", 1, 7, 1, 1},
    {&Block::CardGoneCharacter1, "CardGoneCharacter1", "CardGoneCharacter1: ", 2, 0, 8, 255},
    {&Block::CardGoneCharacter2, "CardGoneCharacter2", "CardGoneCharacter2: ", 3, 0, 8, 255},
    {&Block::LeadingCharCount, "LeadingCharCount", "LeadingCharacterCount: ", 4, 0, 4, 15},
    {&Block::TrailingCharCount, "TrailingCharCount", "TrailingCharacterCount: ", 4, 4, 4, 15},
    {&Block::LeadingTrailingCharacter0, "LeadingTrailingCharacter0", "LeadingTrailingCharacter0: ", 5, 0, 8, 255},
    {&Block::LeadingTrailingCharacter1, "LeadingTrailingCharacter1", "LeadingTrailingCharacter1: ", 6, 0, 8, 255},
    {&Block::LeadingTrailingCharacter2, "LeadingTrailingCharacter2", "LeadingTrailingCharacter2: ", 7, 0, 8, 255},
}};
static_assert(Codec::IsValidLayout(kMembers), "members must tile the 64 wire bits without overlap");

}  // namespace

std::vector<uint8_t> Block::ToBytes() const { return Codec::Encode(*this, kMembers); }

Block Block::FromBytes(const std::vector<uint8_t>& bytes) { return Codec::Decode(bytes, kMembers); }

bool Block::operator==(const Block& other) const { return Codec::Equal(*this, other, kMembers); }

std::string Block::ToString(std::string& text) const {
    Codec::AppendText(*this, kMembers, text);
    return text;
}

std::optional<ConfigurationRangeViolation> Block::FindFirstOutOfRange() const {
    return Codec::FindFirstOutOfRange(*this, kMembers);
}

std::span<const Member> Block::Members() { return kMembers; }

}  // namespace TavProtocol
