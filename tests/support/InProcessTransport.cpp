#include "support/InProcessTransport.h"

#include <chrono>
#include <cstring>
#include <stdexcept>

#include "common/ReaderDefinitionText.h"

namespace TavTest {

namespace {

constexpr const char* kGone = "Simulated reader is gone";

}  // namespace

InProcessTransport::InProcessTransport(TavSim::FrontEnd& frontEnd)
    : InProcessTransport(frontEnd, TavCommon::MakeUsbReaderDefinition(0x1234, 0x5678, "", "SIM0001")) {}

InProcessTransport::InProcessTransport(TavSim::FrontEnd& frontEnd, const TavCommon::ReaderDefinition& definition)
    : Transport(definition), frontEnd_(frontEnd) {}

void InProcessTransport::init(uint32_t retryCount) {
    ++initCalls_;
    lastRetryCount_ = retryCount;
    if (!frontEnd_.DevicePresent()) {
        throw std::runtime_error(kGone);
    }
}

void InProcessTransport::transmit(TavTransport::TransportPayload& payload) {
    const auto kind =
        payload.kind == TavTransport::ReportType::Output ? TavSim::PhraseKind::Output : TavSim::PhraseKind::Feature;
    if (!frontEnd_.Send(payload.data, kind)) {
        throw std::runtime_error(kGone);
    }
    if (timeline_) {
        timeline_->AddSent(payload.data);
    }
}

void InProcessTransport::discardPendingInput() { frontEnd_.DiscardPendingInput(); }

std::vector<uint8_t> InProcessTransport::receive(TavTransport::TransportPayload& payload) {
    TavSim::FrontEndReply reply = frontEnd_.Receive(payload.length, std::chrono::milliseconds(receiveDelayMs()));
    if (reply.status == TavSim::FrontEndReply::Status::DeviceGone) {
        throw std::runtime_error(kGone);
    }
    if (timeline_) {
        timeline_->AddReceived(reply.bytes);
    }
    return std::move(reply.bytes);
}

}  // namespace TavTest
