#include "visitors/UpgradeFirmwareVisitor.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>

#include <utility>

#include "featureReport/UpgradeFirmwareWithFeatureReportProtocol.h"
#include "files/ElvarinFirmwareFileStream.h"

namespace TavProtocol {

namespace {

// Whether the file opens for reading. Non-blocking: a FIFO without a writer must not hold the
// reader's facade for ever; the firmware stream then refuses anything but a regular file.
bool OpensForReading(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    ::close(descriptor);
    return true;
}

}  // namespace

UpgradeFirmwareVisitor::UpgradeFirmwareVisitor(std::unique_ptr<std::istream> input,
                                               std::unique_ptr<TavCommon::TimeDelay> timeDelay)
    : input_(std::move(input)), inputSource_(InputSource::Stream), timeDelay_(std::move(timeDelay)) {}

UpgradeFirmwareVisitor::UpgradeFirmwareVisitor(std::string path, std::unique_ptr<TavCommon::TimeDelay> timeDelay)
    : path_(std::move(path)), inputSource_(InputSource::File), timeDelay_(std::move(timeDelay)) {}

UpgradeFirmwareVisitor::~UpgradeFirmwareVisitor() = default;

void UpgradeFirmwareVisitor::ValidateArguments() {
    if (!path_.empty()) {
        if (!OpensForReading(path_)) {
            TAV_THROW(ProtocolException, fmt::format("File {} does not exist or is not accessible.", path_));
        }
        return;
    }
    if (!input_) {
        TAV_THROW(ProtocolException, "UpgradeFirmware: Either a file name or byte stream must be provided.");
    }
}

void UpgradeFirmwareVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    // The command runs its own exchange and owns the file stream; it goes, closing the file, on
    // every road out of here.
    std::unique_ptr<UpgradeFirmwareWithFeatureReportProtocol> command;
    switch (inputSource_) {
    case InputSource::Stream:
        command = std::make_unique<UpgradeFirmwareWithFeatureReportProtocol>(input_.get(), std::move(timeDelay_));
        break;
    case InputSource::File:
        command = std::make_unique<UpgradeFirmwareWithFeatureReportProtocol>(
            path_, std::make_unique<ElvarinFirmwareFileStream>(path_), std::move(timeDelay_));
        break;
    default:
        TAV_THROW(ProtocolException,
                  "UpgradeFirmware: Input source is not defined. Was a filename or input stream provided?");
    }
    command->Execute(transport);
}

void UpgradeFirmwareVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "UpgradeFirmware is not supported for the MFP24 protocol.");
}

void UpgradeFirmwareVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "UpgradeFirmware is not supported for the Serial Binary protocol.");
}

}  // namespace TavProtocol
