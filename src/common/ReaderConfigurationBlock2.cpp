#include "common/ReaderConfigurationBlock2.h"

#include <array>

#include "common/ConfigurationBlockCodec.h"

namespace TavProtocol {

namespace {

using Block = ReaderConfigurationBlock2;
using Codec = ConfigurationBlockCodec<Block>;
using Member = ConfigurationBlockMember<Block>;
constexpr auto kIgnored = Member::Equality::Ignored;

// member, name, text-form label ("" = not printed), byte, first bit, width, valid maximum
constexpr std::array<Member, 19> kMembers{{
    {&Block::Byte0, "Byte0", "", 0, 0, 8, 255},
    {&Block::Byte1, "Byte1", "", 1, 0, 8, 255},
    {&Block::DataHoldTime, "DataHoldTime", "DataHoldTime: ", 2, 0, 8, 255},
    {&Block::LockOutTime, "LockOutTime", "LockOutTime: ", 3, 0, 8, 255},
    {&Block::KeyPressTime, "KeyPressTime", "KeyPressTime: ", 4, 0, 8, 255},
    {&Block::KeyReleaseTime, "KeyReleaseTime", "KeyReleaseTime: ", 5, 0, 8, 255},
    {&Block::___, "___", "", 6, 0, 1, 1},
    {&Block::ExtendedPrecisionMath, "ExtendedPrecisionMath", "EnableIdExtendedPrecision: ", 6, 1, 1, 1},
    {&Block::LowercaseHex, "LowercaseHex", "UseLowercaseHex: ", 6, 2, 1, 1},
    {&Block::EmulateProxPro, "EmulateProxPro", "EnableProxProEmulation: ", 6, 3, 1, 1},
    {&Block::SendIdAsHex, "SendIdAsHex", "EnableHexadecimalId: ", 6, 4, 1, 1},
    {&Block::SendFacAsHex, "SendFacAsHex", "EnableHexadecimalFac: ", 6, 5, 1, 1},
    {&Block::ExtendFacIdHexCapable, "ExtendFacIdHexCapable", "UseIndividualIdAndFacNumberFormats: ", 6, 6, 1, 1},
    {&Block::UseNumericKeypad, "UseNumericKeypad", "UseNumericKeypad: ", 6, 7, 1, 1},
    {&Block::____, "____", "", 7, 0, 4, 15, kIgnored},
    {&Block::ReaderSupportsReverseAllBytes, "ReaderSupportsReverseAllBytes", "ReaderSupportsReverseAllBytes: ", 7, 4, 1,
     1},
    {&Block::ExtendedAscii, "ExtendedAscii", "ReaderSupportsAsciiExtended: ", 7, 5, 1, 1},
    {&Block::ExtendedOutputCapable, "ExtendedOutputCapable", "ReaderSupportsExtendedMode: ", 7, 6, 1, 1},
    {&Block::Vastrel, "Vastrel", "EnableVastrelMode: ", 7, 7, 1, 1},
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
