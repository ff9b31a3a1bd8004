#pragma once

#include <cstdint>
#include <vector>

#include "transport/Transport.h"

namespace TavProtocol {

// One reader operation as an exchange of phrases: the command produces its request phrases one
// by one and collects the replies; its class then checks them and decodes the result.
class Command {
public:
    virtual ~Command() = default;

    // Back to the state before the first phrase. A subclass that tracks progress of its own
    // (positions, counters) overrides it, resets that too and calls this one, so a second run
    // starts from scratch.
    virtual void Reset();
    virtual bool HasCommandPhrase() = 0;
    virtual std::vector<uint8_t> NextCommandPhrase() = 0;
    // Keeps the reply for the class's checks; a command that checks or decodes a reply as it
    // arrives overrides it.
    virtual void AddResponsePhrase(const std::vector<uint8_t>& response);
    virtual bool ExpectsResponsePhrase() = 0;
    virtual int ResponsePhraseLength() { return 8; }
    // The phrase exchange: input still pending from before is dropped, every phrase goes out as a
    // feature-kind payload, and a reply of ResponsePhraseLength bytes is read after each phrase
    // that expects one.
    virtual void Execute(TavTransport::Transport& transport);
    virtual int ResponsePhraseCount() { return static_cast<int>(responsePhrases_.size()); }

protected:
    Command() = default;

    int32_t commandPhrasesProduced_ = 0;
    std::vector<std::vector<uint8_t>> responsePhrases_;
    int32_t responsePhrasesAdded_ = 0;
};

}  // namespace TavProtocol
