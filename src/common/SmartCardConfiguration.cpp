#include "common/SmartCardConfiguration.h"

#include <algorithm>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavCommon {

namespace {

// Blob types 1, 2, 4-11, 14, 15, 18, 20-23, 26 and 27.
constexpr uint32_t kAcceptedBlobTypes =
    1u << 1 | 1u << 2 | 0xFFu << 4 | 1u << 14 | 1u << 15 | 1u << 18 | 0xFu << 20 | 1u << 26 | 1u << 27;

bool IsAcceptedBlobType(uint8_t blobType) { return blobType < 32 && (kAcceptedBlobTypes >> blobType & 1u) != 0; }

}  // namespace

SmartCardConfiguration& SmartCardConfiguration::SetConfiguration(const BlobHeader& header,
                                                                 const std::vector<uint8_t>& data) {
    if (!IsAcceptedBlobType(header.BlobType)) {
        TAV_THROW(ElvarinException, "Invalid blob type for SmartCardConfiguration");
    }
    if (header.DataLength > kMaxDataSize) {
        TAV_THROW(ElvarinException, "Data length exceeds maximum blob size");
    }
    // Checked before the header is stored, so a refused call leaves the record as it was.
    if (data.size() != header.DataLength) {
        TAV_THROW(ElvarinException, "Blob data length does not match with datalength in header");
    }
    Header = header;
    std::copy(data.begin(), data.end(), Data);
    return *this;
}

bool SmartCardConfiguration::operator==(const SmartCardConfiguration& other) const {
    if (Header != other.Header) {
        return false;
    }
    const std::size_t valid = std::min<std::size_t>(Header.DataLength, kMaxDataSize);
    return std::equal(Data, Data + valid, other.Data);
}

}  // namespace TavCommon
