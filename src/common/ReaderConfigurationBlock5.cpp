#include "common/ReaderConfigurationBlock5.h"

#include <array>

#include "common/ConfigurationBlockCodec.h"

namespace TavProtocol {

namespace {

using Block = ReaderConfigurationBlock5;
using Codec = ConfigurationBlockCodec<Block>;
using Member = ConfigurationBlockMember<Block>;

// member, name, text-form label ("" = not printed), byte, first bit, width, valid maximum
constexpr std::array<Member, 7> kMembers{{
    {&Block::DisableCardConfiguration, "DisableCardConfiguration", "DisableCardConfiguration: ", 0, 0, 8, 255},
    {&Block::CardType, "CardType", "CardType: ", 1, 0, 16, 0xFFFF},
    {&Block::SetHighPriorityCardType, "SetHighPriorityCardType", "SetHighPriorityCardType: ", 3, 0, 8, 255},
    {&Block::SorwynCompatibilityCharacter, "SorwynCompatibilityCharacter", "SorwynCompatibilityCharacter: ", 4, 0, 8,
     255},
    {&Block::SorwynCharacterCount, "SorwynCharacterCount", "SorwynCharacterCount: ", 5, 0, 8, 255},
    {&Block::_, "_", "_: ", 6, 0, 8, 255},
    {&Block::__, "__", "__: ", 7, 0, 8, 255},
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
