#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace TavProtocol::FirmwareVersionReply {

// Firmware-version records read their fields from the first eight bytes of a reply phrase.
inline constexpr std::size_t kPhraseLength = 8;

// Throws ElvarinException naming the record when the reply is too short to read it from.
void RequirePhrase(std::span<const uint8_t> reply, const char* record);

// Bytes 4..7 in wire order: the record's Version bytes 0..3.
uint32_t VersionInWireOrder(std::span<const uint8_t> reply);

// Bytes 4..7 as a big-endian number.
uint32_t VersionMostSignificantFirst(std::span<const uint8_t> reply);

}  // namespace TavProtocol::FirmwareVersionReply
