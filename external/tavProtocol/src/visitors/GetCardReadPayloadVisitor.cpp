#include "visitors/GetCardReadPayloadVisitor.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "featureReport/GetCardBitCountWithFeatureReportProtocol.h"
#include "featureReport/GetCardDataWithFeatureReportProtocol.h"
#include "serialBinary/GetCardDataWithSerialBinaryProtocol.h"

namespace TavProtocol {

namespace {

void CopyCardData(CardReadPayload& payload, const std::vector<uint8_t>& cardData) {
    std::copy_n(cardData.begin(), std::min(cardData.size(), sizeof payload.CardData), payload.CardData);
}

}  // namespace

void GetCardReadPayloadVisitor::ValidateArguments() {
    if (!IsKnownCardDataSize(size_)) {
        TAV_THROW(ProtocolException, kUnknownCardDataSizeMessage);
    }
}

// Two exchanges back to back under the facade's lock: the bit count, then the card bytes.
void GetCardReadPayloadVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetCardBitCountWithFeatureReportProtocol bitCount;
    bitCount.Execute(transport);
    payload_.BitCount = bitCount.GetResult();

    GetCardDataWithFeatureReportProtocol cardData(size_);
    cardData.Execute(transport);
    CopyCardData(payload_, cardData.GetResult());
}

void GetCardReadPayloadVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, kMfp24NotSupported);
}

// One reply carries both; a reader without a card answers an empty read, which passes the check.
void GetCardReadPayloadVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    GetCardDataWithSerialBinaryProtocol command(size_);
    command.Execute(transport);
    command.ValidateResponse();
    payload_.BitCount = command.GetBitCount();
    CopyCardData(payload_, command.GetResult());
}

}  // namespace TavProtocol
