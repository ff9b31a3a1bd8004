#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Tavelin/AbstractReader.h"
#include "Tavelin/Reader.h"
#include "Tavelin/ReaderDefinition.h"
#include "Tavelin/ReaderException.h"
#include "common/FixedText.h"
#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/InProcessTransport.h"
#include "support/ScopedTransportOverride.h"
#include "support/Wire.h"

namespace TavTest {

// The reader exception the call throws; a test failure when it throws none.
template <typename Call>
Tav::ReaderException Refusal(Call call) {
    try {
        call();
    } catch (const Tav::ReaderException& error) {
        return error;
    }
    ADD_FAILURE() << "nothing thrown";
    return Tav::ReaderException("nothing thrown", "Test", 0, "Refusal");
}

// The message of the ElvarinException the call throws, which is not a reader exception: a failure
// of the library's file or record code rather than of the reader. A test failure otherwise.
template <typename Call>
std::string PlainElvarinFailure(Call call) {
    try {
        call();
    } catch (const Tav::ReaderException& error) {
        ADD_FAILURE() << "a reader exception: " << error.Message();
        return {};
    } catch (const ElvarinException& error) {
        return error.Message();
    }
    ADD_FAILURE() << "nothing thrown";
    return {};
}

// A name a parameterised test may carry (no blanks).
inline const char* WireParamName(Wire wire) {
    switch (wire) {
        case Wire::FeatureReport: return "FeatureReport";
        case Wire::Mfp24: return "Mfp24";
        case Wire::SerialBinary: return "SerialBinary";
    }
    return "?";
}

constexpr uint16_t kSimVendorId = 0x1A2B;
constexpr uint16_t kSimProductId = 0x00C4;
constexpr const char* kSimSerialNumber = "SN-0042";

// A reader opened through the registry, as a host opens it, on a simulated reader reached in
// process over the wire protocol of the test's choice. Destroyed through the registry.
class ReaderOnSimulator {
public:
    explicit ReaderOnSimulator(Wire wire)
        : wire_(wire),
          hid_(wire == Wire::SerialBinary ? nullptr
                                          : std::make_unique<TavSim::FeatureReportFrontEnd>(
                                                sim, wire == Wire::Mfp24 ? TavSim::Mfp24Commands()
                                                                         : TavSim::FeatureReportCommands())),
          serial_(wire == Wire::SerialBinary ? std::make_unique<TavSim::SerialBinaryFrontEnd>(sim) : nullptr),
          override_([this](const TavCommon::ReaderDefinition& definition) {
              return std::make_unique<InProcessTransport>(FrontEnd(), definition);
          }) {}
    ~ReaderOnSimulator() { Close(); }
    ReaderOnSimulator(const ReaderOnSimulator&) = delete;
    ReaderOnSimulator& operator=(const ReaderOnSimulator&) = delete;

    static TavCommon::ReaderDefinition Definition(Wire wire) {
        TavCommon::ReaderDefinition definition{};
        definition.VendorId = kSimVendorId;
        definition.ProductId = kSimProductId;
        TavCommon::CopyToFixedField(definition.SerialNumber, kSimSerialNumber);
        definition.ProtocolType = static_cast<uint8_t>(wire);
        return definition;
    }

    // Opens the reader (not initialised) and returns it.
    Tav::Reader& Open() {
        handle = Tav::AbstractReader::CreateReaderInstance(Definition(wire_), 0);
        reader = std::dynamic_pointer_cast<Tav::Reader>(Tav::AbstractReader::GetInstance(handle));
        return *reader;
    }
    // Opens and initialises the reader, then forgets the phrases of the initialisation.
    Tav::Reader& OpenInitialised() {
        Open();
        reader->Init();
        ClearPhrases();
        return *reader;
    }
    void Close() {
        reader.reset();
        Tav::AbstractReader::DestroyInstance(handle);
        handle = nullptr;
    }

    TavSim::FrontEnd& FrontEnd() {
        return hid_ ? static_cast<TavSim::FrontEnd&>(*hid_) : static_cast<TavSim::FrontEnd&>(*serial_);
    }
    std::vector<std::vector<uint8_t>> Phrases() const { return hid_ ? hid_->ReceivedBytes() : serial_->ReceivedBytes(); }
    void ClearPhrases() { hid_ ? hid_->ClearReceived() : serial_->ClearReceived(); }
    void InjectFault(TavSim::FaultTrigger trigger, TavSim::Fault fault, int times = TavSim::FaultPlan::kEveryTime) {
        hid_ ? hid_->InjectFault(std::move(trigger), std::move(fault), times)
             : serial_->InjectFault(std::move(trigger), std::move(fault), times);
    }

    void ClearFaults() { hid_ ? hid_->ClearFaults() : serial_->ClearFaults(); }

    Wire wire() const { return wire_; }

    TavSim::SimulatedReader sim;
    void* handle = nullptr;
    std::shared_ptr<Tav::Reader> reader;

private:
    Wire wire_;
    std::unique_ptr<TavSim::FeatureReportFrontEnd> hid_;
    std::unique_ptr<TavSim::SerialBinaryFrontEnd> serial_;
    ScopedTransportOverride override_;
};

}  // namespace TavTest
