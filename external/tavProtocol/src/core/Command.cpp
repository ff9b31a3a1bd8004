#include "core/Command.h"

namespace TavProtocol {

void Command::Reset() {
    commandPhrasesProduced_ = 0;
    responsePhrases_.clear();
    responsePhrasesAdded_ = 0;
}

void Command::AddResponsePhrase(const std::vector<uint8_t>& response) {
    responsePhrases_.push_back(response);
    ++responsePhrasesAdded_;
}

void Command::Execute(TavTransport::Transport& transport) {
    Reset();
    transport.discardPendingInput();
    while (HasCommandPhrase()) {
        TavTransport::TransportPayload payload;
        payload.data = NextCommandPhrase();
        payload.length = static_cast<uint16_t>(payload.data.size());
        payload.kind = TavTransport::ReportType::Feature;
        transport.transmit(payload);
        if (ExpectsResponsePhrase()) {
            payload.length = static_cast<uint16_t>(ResponsePhraseLength());
            AddResponsePhrase(transport.receive(payload));
        }
    }
}

}  // namespace TavProtocol
