#pragma once

#include <cstdint>
#include <string_view>

namespace TavProtocol {

// One member of a configuration block: where its bits sit in the block's 8-byte wire form, the
// names it is reported and printed under, and its valid range 0..Maximum. The wire form is read as
// one little-endian 64-bit word, so a member is the bit range [Byte * 8 + FirstBit, + Width).
template <typename Block>
struct ConfigurationBlockMember {
    enum class Equality : uint8_t { Compared, Ignored };

    constexpr ConfigurationBlockMember(uint8_t Block::*member, std::string_view name, std::string_view label,
                                       unsigned byte, unsigned firstBit, unsigned width, uint32_t maximum,
                                       Equality equality = Equality::Compared)
        : Name(name),
          Label(label),
          Byte(byte),
          FirstBit(firstBit),
          Width(width),
          Maximum(maximum),
          Compared(equality == Equality::Compared),
          Narrow(member) {}

    constexpr ConfigurationBlockMember(uint16_t Block::*member, std::string_view name, std::string_view label,
                                       unsigned byte, unsigned firstBit, unsigned width, uint32_t maximum,
                                       Equality equality = Equality::Compared)
        : Name(name),
          Label(label),
          Byte(byte),
          FirstBit(firstBit),
          Width(width),
          Maximum(maximum),
          Compared(equality == Equality::Compared),
          Wide(member) {}

    constexpr unsigned WirePosition() const { return Byte * 8 + FirstBit; }
    constexpr uint64_t ValueMask() const { return Width >= 64 ? ~uint64_t{0} : (uint64_t{1} << Width) - 1; }
    constexpr uint64_t WireMask() const { return ValueMask() << WirePosition(); }
    // The largest value the member's own type can hold, whatever its wire width.
    constexpr uint32_t TypeMaximum() const { return Narrow != nullptr ? 0xFFu : 0xFFFFu; }

    constexpr uint32_t Get(const Block& block) const { return Narrow != nullptr ? block.*Narrow : block.*Wide; }
    // Stores the value cut to the member's type; the wire width applies only when encoding.
    constexpr void Set(Block& block, uint32_t value) const {
        if (Narrow != nullptr) {
            block.*Narrow = static_cast<uint8_t>(value);
        } else {
            block.*Wide = static_cast<uint16_t>(value);
        }
    }

    std::string_view Name;   // the member's name, as range messages give it after "<Block>::"
    std::string_view Label;  // the text-form label, ending in ": "; empty when the member is not printed
    unsigned Byte;
    unsigned FirstBit;
    unsigned Width;
    uint32_t Maximum;
    bool Compared;
    uint8_t Block::*Narrow = nullptr;
    uint16_t Block::*Wide = nullptr;
};

}  // namespace TavProtocol
