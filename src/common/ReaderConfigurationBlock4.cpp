#include "common/ReaderConfigurationBlock4.h"

#include <array>

#include "common/ConfigurationBlockCodec.h"

namespace TavProtocol {

namespace {

using Block = ReaderConfigurationBlock4;
using Codec = ConfigurationBlockCodec<Block>;
using Member = ConfigurationBlockMember<Block>;

// member, name, text-form label ("" = not printed), byte, first bit, width, valid maximum
constexpr std::array<Member, 15> kMembers{{
    {&Block::LeadingParityBig, "LeadingParityBig", "LargeStripLeadingParityCount: ", 0, 0, 8, 127},
    {&Block::TrailingParityBig, "TrailingParityBig", "LargeStripTrailingParityCount: ", 1, 0, 8, 255},
    {&Block::SplitFixedLength, "SplitFixedLength", "UseIndividualIdAndFacFixedLengths: ", 2, 0, 1, 1},
    {&Block::FixedLengthFac, "FixedLengthFac", "UseFixedLengthFac: ", 2, 1, 1, 1},
    {&Block::FixedLengthId, "FixedLengthId", "UseFixedLengthId: ", 2, 2, 1, 1},
    {&Block::_, "_", "_: ", 2, 3, 5, 31},
    {&Block::CfgRb3, "CfgRb3", "CfgRb3: ", 3, 0, 8, 255},
    {&Block::CfgRb4, "CfgRb4", "CfgRb4: ", 4, 0, 8, 255},
    {&Block::__, "__", "__: ", 5, 0, 1, 1},
    {&Block::HighPrecisionFac, "HighPrecisionFac", "EnableFacExtendedPrecision: ", 5, 1, 1, 1},
    {&Block::___, "___", "___: ", 5, 2, 6, 63},
    {&Block::____, "____", "____: ", 6, 0, 1, 1},
    {&Block::AzertyKeyboardShift, "AzertyKeyboardShift", "AzertyKeyboardShift: ", 6, 1, 1, 1},
    {&Block::_____, "_____", "_____: ", 6, 2, 6, 63},
    {&Block::EnableExtendedMode, "EnableExtendedMode", "EnableExtendedMode: ", 7, 0, 8, 255},
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
