#include "common/ReaderConfigurationBlock1.h"

#include <array>

#include "common/ConfigurationBlockCodec.h"

namespace TavProtocol {

namespace {

using Block = ReaderConfigurationBlock1;
using Codec = ConfigurationBlockCodec<Block>;
using Member = ConfigurationBlockMember<Block>;

// member, name, text-form label ("" = not printed), byte, first bit, width, valid maximum
constexpr std::array<Member, 16> kMembers{{
    {&Block::FacDigitCount, "FacDigitCount", "FAC Digit Count: ", 0, 0, 8, 26},
    {&Block::IdDigitCount, "IdDigitCount", "ID Digit Count: ", 1, 0, 8, 26},
    {&Block::StripLeadingParityCount, "StripLeadingParityCount", "Strip Leading Parity Count: ", 2, 0, 4, 15},
    {&Block::StripTrailingParityCount, "StripTrailingParityCount", "Strip Trailing Parity Count: ", 2, 4, 4, 15},
    {&Block::IdBitCount, "IdBitCount", "ID Bit Count: ", 3, 0, 8, 255},
    {&Block::ExpectedBitCount, "ExpectedBitCount", "Expected Bit Count: ", 4, 0, 8, 255},
    {&Block::IdAndFacDelimiter, "IdAndFacDelimiter", "ID and FAC Delimiter: ", 5, 0, 8, 255},
    {&Block::TerminationCharacter, "TerminationCharacter", "Termination Character: ", 6, 0, 8, 255},
    {&Block::UseFixedLengthForFacAndId, "UseFixedLengthForFacAndId", "Use Fixed Length for FAC and ID: ", 7, 0, 1, 1},
    {&Block::EnforceExpectedBitCount, "EnforceExpectedBitCount", "Enforce Expected Bit Count: ", 7, 1, 1, 1},
    {&Block::StripFacFromId, "StripFacFromId", "Strip FAC from ID: ", 7, 2, 1, 1},
    {&Block::SendFacAfterStripping, "SendFacAfterStrippingIt", "Send FAC after Stripping It: ", 7, 3, 1, 1},
    {&Block::UseIdAndFacDelimiter, "UseIdAndFacDelimiter", "Use ID and FAC Delimiter: ", 7, 4, 1, 1},
    {&Block::DisableKeystrokeTerminationCharacter, "DisableKeystrokeTerminationCharacter",
     "Disable Keystroke Termination Character: ", 7, 5, 1, 1},
    {&Block::EnableContinuousRead, "EnableContinuousRead", "Enable Continuous Read: ", 7, 6, 1, 1},
    {&Block::DisableKeystroking, "DisableKeystroking", "Disable Keystroking: ", 7, 7, 1, 1},
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
