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

// The reader as USB HID shows it: request phrases arrive as feature (or output) reports and the
// reply to the last one is read back as a feature report. Phrases are report data without the
// report id (the hidraw interposer strips and adds it). Thread-safe: every call takes the
// reader's lock.
//
// A phrase goes to the handler a previous phrase asked for (a write's data phrase, the
// bootloader), else to the command table's handler for its leading bytes. A phrase no handler
// knows is reported as a missing handler (UnknownPhrase.h) and answered with eight zero bytes, as
// a reader answers a command it does not support.
class FeatureReportFrontEnd : public FrontEnd {
public:
    struct ReceivedPhrase {
        std::vector<uint8_t> bytes;
        PhraseKind kind = PhraseKind::Feature;
        bool operator==(const ReceivedPhrase&) const = default;
    };

    explicit FeatureReportFrontEnd(SimulatedReader& reader,
                                   const PhraseHandlerTable& commands = FeatureReportCommands());
    FeatureReportFrontEnd(const FeatureReportFrontEnd&) = delete;
    FeatureReportFrontEnd& operator=(const FeatureReportFrontEnd&) = delete;

    // hidraw's view: HIDIOCSFEATURE, write and HIDIOCGFEATURE. False / DeviceGone when the
    // device is gone.
    bool SetFeatureReport(std::span<const uint8_t> phrase) { return Accept(phrase, PhraseKind::Feature); }
    bool WriteOutputReport(std::span<const uint8_t> phrase) { return Accept(phrase, PhraseKind::Output); }
    FrontEndReply GetFeatureReport(std::size_t length);

    bool Send(std::span<const uint8_t> phrase, PhraseKind kind) override { return Accept(phrase, kind); }
    FrontEndReply Receive(std::size_t length) override { return GetFeatureReport(length); }
    bool DevicePresent() override { return reader_.Model()->connected; }

    void InjectFault(FaultTrigger trigger, Fault fault, int times = FaultPlan::kEveryTime);
    void ClearFaults();
    // For a test that sends phrases no reader knows on purpose: they are answered, not reported.
    void AllowUnknownPhrases();

    // Every phrase that arrived, in order; a phrase's index here is the one fault triggers use.
    std::vector<ReceivedPhrase> Received() const;
    std::vector<std::vector<uint8_t>> ReceivedBytes() const;
    void ClearReceived();
    // Off: phrases are still counted but not kept (long benchmark runs).
    void SetRecording(bool on);

    SimulatedReader& Reader() { return reader_; }

private:
    bool Accept(std::span<const uint8_t> phrase, PhraseKind kind);

    SimulatedReader& reader_;
    const PhraseHandlerTable& commands_;

    // Guarded by the reader's lock.
    FaultPlan faults_;
    std::vector<ReceivedPhrase> received_;
    std::size_t phrasesCounted_ = 0;
    bool recording_ = true;
    bool unknownPhrasesAllowed_ = false;
    std::optional<std::vector<uint8_t>> pendingReply_;
    std::chrono::milliseconds pendingDelay_{0};
    PhraseHandler continuation_;
    std::vector<uint8_t> continuationCommand_;
    PhraseHandler mode_;
    std::vector<uint8_t> modeCommand_;
};

}  // namespace TavSim
