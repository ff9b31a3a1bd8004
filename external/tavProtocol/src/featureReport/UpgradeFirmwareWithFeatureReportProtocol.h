#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "common/TimeDelay.h"
#include "core/Command.h"
#include "files/ElvarinFirmwareFileStream.h"

namespace TavProtocol {

// Feeds a firmware image to the reader's bootloader. Each line goes out as three phrases of a
// count byte and up to 7 bytes, each phrase sent three times and answered by one bootloader
// reply, whose return code and delay class steer the rest of the exchange.
class UpgradeFirmwareWithFeatureReportProtocol : public Command {
public:
    // Three phrases of 7 bytes: a longer record could not be sent whole.
    static constexpr std::size_t kMaxLineBytes = 21;

    // The image as raw bytes of a caller's stream, 7 to a line. The stream is not owned; a null
    // stream is refused before any phrase.
    UpgradeFirmwareWithFeatureReportProtocol(std::istream* input, std::unique_ptr<TavCommon::TimeDelay> timeDelay);
    // The image as the record lines of a firmware file, read through the stream given (one is made
    // for the path when none is). The whole file is checked before the first phrase.
    UpgradeFirmwareWithFeatureReportProtocol(std::string path, std::unique_ptr<ElvarinFirmwareFileStream> fileStream,
                                             std::unique_ptr<TavCommon::TimeDelay> timeDelay);

    void Reset() override;
    bool HasCommandPhrase() override;
    std::vector<uint8_t> NextCommandPhrase() override;
    void AddResponsePhrase(const std::vector<uint8_t>& response) override;
    bool ExpectsResponsePhrase() override;
    void Execute(TavTransport::Transport& transport) override;

private:
    enum class InputSource : uint32_t { Stream = 0, File = 1 };

    std::vector<uint8_t> GetNextLine();
    std::vector<uint8_t> GetNextLineFromFile();
    std::vector<uint8_t> ReadStreamChunk(std::istream& input);
    // Opens the file and reads every line once, so that a bad file never starts an upgrade.
    void CheckFirmwareFile();

    uint8_t lastReturnCode_ = '.';
    std::vector<uint8_t> currentLine_;
    int32_t linesRead_ = 0;
    int32_t chunkIndex_ = 0;
    std::string firmwareFilePath_;
    std::unique_ptr<ElvarinFirmwareFileStream> fileStream_;
    bool fileChecked_ = false;
    std::istream* inputStream_ = nullptr;
    std::unique_ptr<TavCommon::TimeDelay> timeDelay_;
    InputSource inputSource_;
};

}  // namespace TavProtocol
