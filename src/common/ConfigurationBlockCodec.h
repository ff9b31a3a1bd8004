#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "common/ConfigurationBlockMember.h"
#include "common/ConfigurationRangeViolation.h"
#include "common/SourceLocation.h"

namespace TavProtocol {

// Encodes, decodes, compares, prints and range-checks any configuration block from its member
// table, so the bit positions of every block are written down exactly once.
template <typename Block>
class ConfigurationBlockCodec {
public:
    using Member = ConfigurationBlockMember<Block>;
    using Members = std::span<const Member>;

    static constexpr std::size_t kWireSize = 8;

    // A table is usable when every member lies inside the 64 wire bits, fits its own type, has a
    // range its bits can hold, and no two members share a bit; every wire bit belongs to some
    // member, so decoding and re-encoding reproduces any 8 bytes.
    static constexpr bool IsValidLayout(Members members) {
        uint64_t covered = 0;
        for (const Member& member : members) {
            const bool narrow = member.Narrow != nullptr;
            if (narrow == (member.Wide != nullptr) || member.Width == 0 || member.Width > (narrow ? 8u : 16u) ||
                member.FirstBit > 7 || member.WirePosition() + member.Width > kWireSize * 8 ||
                member.Maximum > member.ValueMask() || (covered & member.WireMask()) != 0) {
                return false;
            }
            covered |= member.WireMask();
        }
        return covered == ~uint64_t{0};
    }

    static std::vector<uint8_t> Encode(const Block& block, Members members) {
        uint64_t word = 0;
        for (const Member& member : members) {
            word |= (uint64_t{member.Get(block)} & member.ValueMask()) << member.WirePosition();
        }
        std::vector<uint8_t> bytes(kWireSize);
        for (std::size_t i = 0; i < kWireSize; ++i) {
            bytes[i] = static_cast<uint8_t>(word >> (8 * i));
        }
        return bytes;
    }

    // Uses the first eight bytes; fewer is refused rather than read past.
    static Block Decode(const std::vector<uint8_t>& bytes, Members members) {
        if (bytes.size() < kWireSize) {
            TAV_THROW(ElvarinException, std::string(Block::kTypeName) + "::FromBytes requires at least 8 bytes, got " +
                                            std::to_string(bytes.size()));
        }
        uint64_t word = 0;
        for (std::size_t i = 0; i < kWireSize; ++i) {
            word |= uint64_t{bytes[i]} << (8 * i);
        }
        Block block{};
        for (const Member& member : members) {
            member.Set(block, static_cast<uint32_t>((word >> member.WirePosition()) & member.ValueMask()));
        }
        return block;
    }

    static bool Equal(const Block& left, const Block& right, Members members) {
        for (const Member& member : members) {
            if (member.Compared && member.Get(left) != member.Get(right)) {
                return false;
            }
        }
        return true;
    }

    // Appends "label value\n" for every printed member, in member order.
    static void AppendText(const Block& block, Members members, std::string& text) {
        for (const Member& member : members) {
            if (!member.Label.empty()) {
                text += member.Label;
                text += std::to_string(member.Get(block));
                text += '\n';
            }
        }
    }

    static std::optional<ConfigurationRangeViolation> FindFirstOutOfRange(const Block& block, Members members) {
        for (const Member& member : members) {
            if (const uint32_t value = member.Get(block); value > member.Maximum) {
                return ConfigurationRangeViolation{std::string(Block::kTypeName) + "::" + std::string(member.Name),
                                                   value, 0, member.Maximum};
            }
        }
        return std::nullopt;
    }
};

}  // namespace TavProtocol
