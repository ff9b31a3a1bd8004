#include "featureReport/UpgradeFirmwareWithFeatureReportProtocol.h"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"
#include "featureReport/BootloaderResponse.h"

namespace TavProtocol {

namespace {

constexpr std::size_t kChunkBytes = 7;
constexpr int32_t kChunksPerLine = 3;
constexpr int kTransmitsPerPhrase = 3;
constexpr int kReplyWaitMilliseconds = 2;
constexpr uint16_t kReplyLength = 8;

// The file is checked on behalf of the first line read from it: its failures belong to that read.
constexpr const char* kFileReadFunction = "GetNextLineFromFile";

std::unique_ptr<TavCommon::TimeDelay> OrDefault(std::unique_ptr<TavCommon::TimeDelay> timeDelay) {
    return timeDelay ? std::move(timeDelay) : std::make_unique<TavCommon::TimeDelay>();
}

}  // namespace

UpgradeFirmwareWithFeatureReportProtocol::UpgradeFirmwareWithFeatureReportProtocol(
    std::istream* input, std::unique_ptr<TavCommon::TimeDelay> timeDelay)
    : inputStream_(input), timeDelay_(OrDefault(std::move(timeDelay))), inputSource_(InputSource::Stream) {}

UpgradeFirmwareWithFeatureReportProtocol::UpgradeFirmwareWithFeatureReportProtocol(
    std::string path, std::unique_ptr<ElvarinFirmwareFileStream> fileStream,
    std::unique_ptr<TavCommon::TimeDelay> timeDelay)
    : firmwareFilePath_(std::move(path)),
      fileStream_(std::move(fileStream)),
      timeDelay_(OrDefault(std::move(timeDelay))),
      inputSource_(InputSource::File) {}

void UpgradeFirmwareWithFeatureReportProtocol::Reset() {
    Command::Reset();
    lastReturnCode_ = BootloaderResponse::kReturnCodeOk;
    currentLine_.clear();
    linesRead_ = 0;
    chunkIndex_ = 0;
    // A second run reads the file again from its start.
    if (fileStream_) {
        fileStream_->Close();
    }
    fileChecked_ = false;
}

bool UpgradeFirmwareWithFeatureReportProtocol::HasCommandPhrase() {
    if (inputSource_ == InputSource::Stream && inputStream_ == nullptr) {
        TAV_THROW(ProtocolException, "UpgradeFirmware: the input source is a stream, but no input stream was provided");
    }
    if (linesRead_ == 0) {
        return true;
    }
    switch (lastReturnCode_) {
    case BootloaderResponse::kReturnCodeOk:
    case BootloaderResponse::kReturnCodeNoReplies:
        if (inputSource_ == InputSource::Stream) {
            return !inputStream_->eof();
        }
        return !fileStream_ || !fileStream_->IsEndOfFile();
    case BootloaderResponse::kReturnCodeBadCheckByte:
        TAV_THROW(ProtocolException, "Bad hex line check byte");
    case BootloaderResponse::kReturnCodeBadSegmentRecord:
        TAV_THROW(ProtocolException, "Bad hex line segment record");
    default:
        TAV_THROW(ProtocolException, "Invalid return code");
    }
}

std::vector<uint8_t> UpgradeFirmwareWithFeatureReportProtocol::NextCommandPhrase() {
    if (chunkIndex_ == 0 || chunkIndex_ >= kChunksPerLine) {
        chunkIndex_ = 0;
        currentLine_ = GetNextLine();
    }
    const std::size_t start = static_cast<std::size_t>(chunkIndex_) * kChunkBytes;
    std::vector<uint8_t> phrase;
    if (start >= currentLine_.size()) {
        phrase.push_back(0);
    } else {
        const std::size_t count = std::min(kChunkBytes, currentLine_.size() - start);
        phrase.reserve(count + 1);
        phrase.push_back(static_cast<uint8_t>(count));
        phrase.insert(phrase.end(), currentLine_.begin() + static_cast<std::ptrdiff_t>(start),
                      currentLine_.begin() + static_cast<std::ptrdiff_t>(start + count));
    }
    ++chunkIndex_;
    ++commandPhrasesProduced_;
    return phrase;
}

void UpgradeFirmwareWithFeatureReportProtocol::AddResponsePhrase(const std::vector<uint8_t>& response) {
    const BootloaderResponse decoded(response);
    ++responsePhrasesAdded_;
    if (decoded.DelayMilliseconds > 0) {
        timeDelay_->DelayMilliseconds(decoded.DelayMilliseconds);
    }
    lastReturnCode_ = decoded.ReturnCode;
}

bool UpgradeFirmwareWithFeatureReportProtocol::ExpectsResponsePhrase() {
    if (lastReturnCode_ == BootloaderResponse::kReturnCodeNoReplies) {
        return false;
    }
    return responsePhrasesAdded_ != commandPhrasesProduced_;
}

void UpgradeFirmwareWithFeatureReportProtocol::Execute(TavTransport::Transport& transport) {
    Reset();
    transport.discardPendingInput();
    while (HasCommandPhrase()) {
        const std::vector<uint8_t> phrase = NextCommandPhrase();
        // A fresh payload for every send: a transport may rework the one it is handed.
        for (int copy = 0; copy < kTransmitsPerPhrase; ++copy) {
            TavTransport::TransportPayload payload{phrase, static_cast<uint16_t>(phrase.size()),
                                                   TavTransport::ReportType::Feature};
            transport.transmit(payload);
        }
        if (ExpectsResponsePhrase()) {
            timeDelay_->DelayMilliseconds(kReplyWaitMilliseconds);
            TavTransport::TransportPayload payload{phrase, kReplyLength, TavTransport::ReportType::Feature};
            AddResponsePhrase(transport.receive(payload));
        }
    }
}

std::vector<uint8_t> UpgradeFirmwareWithFeatureReportProtocol::GetNextLine() {
    std::vector<uint8_t> line =
        inputSource_ == InputSource::Stream ? ReadStreamChunk(*inputStream_) : GetNextLineFromFile();
    ++linesRead_;
    return line;
}

std::vector<uint8_t> UpgradeFirmwareWithFeatureReportProtocol::ReadStreamChunk(std::istream& input) {
    std::vector<uint8_t> chunk;
    chunk.reserve(kChunkBytes);
    while (chunk.size() < kChunkBytes) {
        const auto value = input.get();
        if (value == std::istream::traits_type::eof()) {
            break;
        }
        chunk.push_back(static_cast<uint8_t>(value));
    }
    // A stream that fails without reaching its end would never end the exchange.
    if (input.bad() || (input.fail() && !input.eof())) {
        TAV_THROW(ProtocolException, "UpgradeFirmware: reading the firmware input stream failed");
    }
    return chunk;
}

std::vector<uint8_t> UpgradeFirmwareWithFeatureReportProtocol::GetNextLineFromFile() {
    if (!fileChecked_) {
        CheckFirmwareFile();
    }
    return fileStream_->ReadNextLine();
}

void UpgradeFirmwareWithFeatureReportProtocol::CheckFirmwareFile() {
    if (!fileStream_) {
        fileStream_ = std::make_unique<ElvarinFirmwareFileStream>(firmwareFilePath_);
    }
    fileStream_->Open();
    if (!fileStream_->IsOpen()) {
        throw ProtocolException("Failed to open file for reading", TAV_SOURCE_FILE, __LINE__, kFileReadFunction);
    }
    for (;;) {
        const std::vector<uint8_t> line = fileStream_->ReadNextLine();
        if (fileStream_->IsEndOfFile()) {
            break;
        }
        if (line.size() > kMaxLineBytes) {
            throw ProtocolException(
                fmt::format("Firmware file line {} holds {} bytes; at most {} fit the three phrases of a line",
                            fileStream_->LineNumber(), line.size(), kMaxLineBytes),
                TAV_SOURCE_FILE, __LINE__, kFileReadFunction);
        }
    }
    fileStream_->Rewind();
    fileChecked_ = true;
}

}  // namespace TavProtocol
