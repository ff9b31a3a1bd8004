#include "transport/SerialTransport.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>

#include "common/FixedText.h"
#include "common/Logger.h"
#include "common/SourceLocation.h"
#include "transport/LinuxComPort.h"
#include "transport/TransportException.h"

namespace TavTransport {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

// The lines these errors' records carry, whatever the layout of this file.
constexpr int kNotConnectedOnReceiveLine = 44;
constexpr int kNotConnectedOnTransmitLine = 62;
constexpr int kInvalidBaudRateLine = 98;
constexpr int kInvalidDataBitsLine = 102;
constexpr int kEmptyPortNameLine = 106;
constexpr int kInvalidByteSizeLine = 110;

// Of the bytes dropped while the line settles, this many are logged.
constexpr std::size_t kLoggedBytes = 32;

}  // namespace

SerialTransport::SerialTransport(const TavCommon::ReaderDefinition& definition)
    : Transport(definition),
      port_(std::make_unique<LinuxComPort>()),
      serialPortSettings_(definition.SerialPortSettings) {
    validatePortSettings();
}

SerialTransport::~SerialTransport() {
    try {
        TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory, "Deconstructing SerialTransport");
    } catch (...) {
    }
    if (connected_) {
        try {
            port_->Close();
        } catch (...) {
            // The descriptor is released either way; a destructor has no one to report to.
        }
    }
}

void SerialTransport::validatePortSettings() const {
    const auto dataBits = serialPortSettings_.DataBits;
    if (serialPortSettings_.BaudRate == 0) {
        TAV_THROW_AT(TransportException, "Invalid baud rate specified for SerialTransport", kInvalidBaudRateLine);
    }
    if (dataBits == static_cast<uint8_t>(TavCommon::SerialPortDataBits::Invalid) ||
        dataBits > static_cast<uint8_t>(TavCommon::SerialPortDataBits::Eight)) {
        TAV_THROW_AT(TransportException, "Invalid data bits specified for SerialTransport", kInvalidDataBitsLine);
    }
    if (TavCommon::ReadFixedField(serialPortSettings_.PortName).empty()) {
        TAV_THROW_AT(TransportException, "Port name cannot be empty for SerialTransport", kEmptyPortNameLine);
    }
    if (serialPortSettings_.ByteSize <= 0) {
        TAV_THROW_AT(TransportException, "Byte size must be greater than 0 for SerialTransport", kInvalidByteSizeLine);
    }
}

void SerialTransport::init(uint32_t retryCount) {
    TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory,
                             "Retry count {} specified for SerialTransport init, but it is ignored for serial ports.",
                             retryCount);
    connected_ = false;
    const auto flowControl = static_cast<TavCommon::SerialPortFlowControl>(serialPortSettings_.FlowControl);
    if ((flowControl == TavCommon::SerialPortFlowControl::XonXoff ||
         flowControl == TavCommon::SerialPortFlowControl::XonXoffRtsCts ||
         flowControl == TavCommon::SerialPortFlowControl::XonXoffDtrDsr) &&
        readerDefinition().ProtocolType == static_cast<uint8_t>(TavCommon::ProtocolType::SerialBinary)) {
        TavCommon::Logger::Warn(logger, TavCommon::kTransportCategory,
                                "[SerialTransport] Software flow control (XON/XOFF) is set for the serial binary "
                                "protocol: bytes 0x11 and 0x13 of its frames will be taken as flow control and lost.");
    }
    port_->Configure(serialPortSettings_, static_cast<int32_t>(receiveDelayMs_));
    connected_ = true;
    lineUnsettled_ = false;
    TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory,
                             "[SerialTransport] Serial port initialized (Port={}, Baud={}, ReceiveDelayMs={}).",
                             TavCommon::ReadFixedField(serialPortSettings_.PortName), serialPortSettings_.BaudRate,
                             receiveDelayMs_);
}

std::vector<uint8_t> SerialTransport::receive(TransportPayload& /*payload*/) {
    if (!connected_) {
        TAV_THROW_AT(TransportException, "[SerialTransport] Serial port not connected. Run init() first.",
                     kNotConnectedOnReceiveLine);
    }
    std::vector<uint8_t> reply = port_->Receive();
    if (reply.empty()) {
        lineUnsettled_ = true;
    }
    TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory, "[SerialTransport] Received {} bytes: {:#04x}",
                             reply.size(), fmt::join(reply, ","));
    return reply;
}

void SerialTransport::transmit(TransportPayload& payload) {
    if (!connected_) {
        TAV_THROW_AT(TransportException, "Serial port not connected. Run init() first.", kNotConnectedOnTransmitLine);
    }
    if (lineUnsettled_) {
        awaitQuietLine();
    }
    port_->Send(payload.data);
    TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory, "[SerialTransport] Transmitted {} bytes: {:#04x}",
                             payload.length, fmt::join(payload.data, ","));
}

void SerialTransport::setReceiveDelayMs(uint32_t milliseconds) {
    if (milliseconds < kMinReceiveDelayMs || milliseconds > kMaxReceiveDelayMs) {
        TAV_THROW(
            TransportException,
            fmt::format("Receive delay must be between 1 and 25500 ms for SerialTransport, got {}", milliseconds));
    }
    receiveDelayMs_ = milliseconds;
    if (connected_) {
        port_->SetReceiveDelayMs(static_cast<int32_t>(milliseconds));
        TavCommon::Logger::Trace(logger, TavCommon::kTransportCategory,
                                 "[SerialTransport] Receive delay updated to {} ms on live connection.", milliseconds);
    }
}

void SerialTransport::discardPendingInput() {
    if (connected_) {
        port_->DiscardPendingInput();
    }
}

void SerialTransport::replyUnreadable() { lineUnsettled_ = connected_; }

void SerialTransport::awaitQuietLine() {
    std::vector<uint8_t> dropped;
    const bool quiet = port_->AwaitQuietLine(kQuietLineLimit, dropped);
    if (!dropped.empty()) {
        const auto logged = dropped.begin() + static_cast<std::ptrdiff_t>(std::min(dropped.size(), kLoggedBytes));
        TavCommon::Logger::Debug(logger, TavCommon::kTransportCategory,
                                 "[SerialTransport] Dropped {} bytes left on the line by a late or unreadable reply, "
                                 "the first up to {}: {:#04x}",
                                 dropped.size(), kLoggedBytes, fmt::join(dropped.begin(), logged, ","));
    }
    if (!quiet) {
        TAV_THROW(TransportException,
                  fmt::format("[SerialTransport] The serial line did not go quiet within {} ms after a late or "
                              "unreadable reply; the phrase was not sent.",
                              kQuietLineLimit.count()));
    }
    lineUnsettled_ = false;
}

}  // namespace TavTransport
