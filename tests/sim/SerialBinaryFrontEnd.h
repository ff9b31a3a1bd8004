#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim/CommandTables.h"
#include "sim/FaultPlan.h"
#include "sim/FrontEnd.h"
#include "sim/SimulatedReader.h"

namespace TavSim {

// The reader as a serial line shows it: a byte stream of frames (class byte 0xFA, instruction,
// P1, P2, P3, data), each answered with a reply of its own length that ends in a status word.
// Frames are cut by instruction and sub-command, not by P3, which means "expected reply length"
// to some commands and "data that follow" to others. A data phrase a header announced (the LUID
// write's two bytes) must follow within 100 ms, else the reader answers 0x6B. A frame no handler
// knows is reported as a missing handler (UnknownPhrase.h) and answered 6D 00, as a reader answers
// an instruction it does not know.
//
// Reached in process through FrontEnd (one phrase per Send, the reply whole whatever length is
// asked), or over a pseudo-terminal through SerialLineServer. Thread-safe: every call takes the
// reader's lock.
class SerialBinaryFrontEnd : public FrontEnd {
public:
    static constexpr std::chrono::milliseconds kDataPhraseTimeout{100};

    // What the reader does about one frame.
    struct Answer {
        std::optional<std::vector<uint8_t>> reply;  // none: silence
        std::chrono::milliseconds delay{0};         // written this much later than usual
        std::size_t pauseAfter = 0;                 // with a pause: the bytes written before it
        std::chrono::milliseconds pause{0};         // the rest of the reply comes this much later
        std::optional<uint8_t> endlessFiller;       // a reply that never ends: this byte, again and again
        bool deviceGone = false;                    // the device disappeared as the frame arrived
        bool awaitsDataPhrase = false;              // a data phrase must follow within kDataPhraseTimeout
    };

    explicit SerialBinaryFrontEnd(SimulatedReader& reader, const PhraseHandlerTable& commands = SerialBinaryCommands());
    SerialBinaryFrontEnd(const SerialBinaryFrontEnd&) = delete;
    SerialBinaryFrontEnd& operator=(const SerialBinaryFrontEnd&) = delete;

    // How long the frame at the head of the stream is: nullopt while more bytes are needed to
    // tell, 0 when the head byte cannot start a frame (noise the reader skips).
    std::optional<std::size_t> FrameLength(std::span<const uint8_t> pending) const;
    Answer Accept(std::span<const uint8_t> frame);
    // The awaited data phrase did not come: the reader gives up on it and answers 0x6B.
    std::vector<uint8_t> ExpireDataPhrase();

    bool Send(std::span<const uint8_t> phrase, PhraseKind kind) override;
    FrontEndReply Receive(std::size_t length) override;
    // A reply later than the window arrives after the receive gave up: the receive ends empty-handed
    // (or with what was already waiting), and the late bytes come first in the next receive, as on
    // a line whose input nobody drained.
    FrontEndReply Receive(std::size_t length, std::chrono::milliseconds window) override;
    void DiscardPendingInput() override;
    bool DevicePresent() override { return reader_.Model()->connected; }

    void InjectFault(FaultTrigger trigger, Fault fault, int times = FaultPlan::kEveryTime);
    void ClearFaults();
    // For a test that sends frames no reader knows on purpose: they are answered, not reported.
    void AllowUnknownPhrases();

    // Every frame that arrived, in order; a frame's index here is the one fault triggers use.
    std::vector<std::vector<uint8_t>> ReceivedBytes() const;
    void ClearReceived();

    SimulatedReader& Reader() { return reader_; }

private:
    SimulatedReader& reader_;
    const PhraseHandlerTable& commands_;

    // Guarded by the reader's lock.
    FaultPlan faults_;
    std::vector<std::vector<uint8_t>> received_;
    PhraseHandler continuation_;
    std::vector<uint8_t> continuationCommand_;
    std::optional<Answer> pending_;   // in process: the answer Receive hands out
    std::vector<uint8_t> lateInput_;  // in process: bytes that came after their receive window
    bool unknownPhrasesAllowed_ = false;
};

}  // namespace TavSim
