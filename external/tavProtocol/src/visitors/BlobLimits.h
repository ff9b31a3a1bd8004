#pragma once

#include <cstddef>
#include <cstdint>

namespace TavProtocol {

// A blob travels in pieces of 4 bytes behind a one-byte piece index; index 255 is the write's end
// phrase, so a blob holds at most 254 pieces.
inline constexpr std::size_t kBlobPieceLength = 4;
inline constexpr std::size_t kMaxBlobDataLength = 254 * kBlobPieceLength;

inline constexpr const char* kBlobTooLongMessage = "Blob data length {} is more than the {} bytes a blob can carry";

constexpr int32_t BlobPieceCount(std::size_t dataLength) {
    return static_cast<int32_t>((dataLength + kBlobPieceLength - 1) / kBlobPieceLength);
}

}  // namespace TavProtocol
