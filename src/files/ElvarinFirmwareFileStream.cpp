#include "files/ElvarinFirmwareFileStream.h"

#include <fmt/format.h>

#include <stdexcept>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"
#include "files/TextFileLoad.h"

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

}  // namespace

ElvarinFirmwareFileStream::ElvarinFirmwareFileStream(const std::string& path) : path_(path) {}

ElvarinFirmwareFileStream::~ElvarinFirmwareFileStream() { Close(); }

void ElvarinFirmwareFileStream::Open() {
    Close();
    fileType_ = 0;
    endOfFile_ = false;

    auto load = TavFiles::LoadTextFile(path_, kMaxFileSize);
    switch (load.outcome) {
    case TavFiles::TextFileLoad::Outcome::Loaded:
        break;
    case TavFiles::TextFileLoad::Outcome::CannotOpen:
        return;
    case TavFiles::TextFileLoad::Outcome::NotRegularFile:
        TAV_THROW(ElvarinException, fmt::format("Firmware file {} is not a regular file", path_));
    case TavFiles::TextFileLoad::Outcome::TooLarge:
        TAV_THROW(ElvarinException, fmt::format("Firmware file {} is larger than {} bytes", path_, kMaxFileSize));
    }

    content_ = std::move(load.text);
    open_ = true;

    std::string line;
    if (ReadLine(line) && line.size() >= 2 && line[0] == 'M' && line[1] >= '0' && line[1] <= '9') {
        if (line[1] > '2') {
            Close();
            TAV_THROW(ElvarinException, "Invalid firmware file type: " + line);
        }
        fileType_ = static_cast<uint32_t>(line[1] - '0');
    } else if (!content_.empty()) {
        // Not a type line: it is read again as the first record.
        position_ = 0;
        atEnd_ = false;
        lineNumber_ = 0;
    }
    firstRecord_ = position_;
    firstRecordAtEnd_ = atEnd_;
    firstRecordLineNumber_ = lineNumber_;
}

bool ElvarinFirmwareFileStream::ReadLine(std::string& line) {
    if (position_ >= content_.size()) {
        atEnd_ = true;
        return false;
    }
    const std::size_t end = content_.find('\n', position_);
    if (end == std::string::npos) {
        line.assign(content_, position_, std::string::npos);
        position_ = content_.size();
        atEnd_ = true;
    } else {
        line.assign(content_, position_, end - position_);
        position_ = end + 1;
    }
    ++lineNumber_;
    return true;
}

std::vector<uint8_t> ElvarinFirmwareFileStream::ReadNextLine() {
    if (!open_) {
        throw std::runtime_error("File is not open");
    }
    if (atEnd_) {
        endOfFile_ = true;
        return {};
    }
    std::string line;
    if (!ReadLine(line)) {
        return {};
    }
    if (line.size() > kMaxLineLength) {
        throw std::invalid_argument(
            fmt::format("Firmware file line {} is longer than {} characters", lineNumber_, kMaxLineLength));
    }
    while (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    std::size_t index = !line.empty() && line[0] == ':' ? 1 : 0;
    if ((line.size() - index) % 2 != 0) {
        throw std::invalid_argument(
            fmt::format("Firmware file line {} has an odd number of hexadecimal digits", lineNumber_));
    }
    std::vector<uint8_t> bytes;
    bytes.reserve((line.size() - index) / 2);
    for (; index < line.size(); index += 2) {
        const int high = HexDigitValue(line[index]);
        const int low = HexDigitValue(line[index + 1]);
        if (high < 0 || low < 0) {
            throw std::invalid_argument(
                fmt::format("Firmware file line {} holds a character that is no hexadecimal digit at position {}",
                            lineNumber_, high < 0 ? index + 1 : index + 2));
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

void ElvarinFirmwareFileStream::Rewind() {
    position_ = firstRecord_;
    atEnd_ = firstRecordAtEnd_;
    lineNumber_ = firstRecordLineNumber_;
    endOfFile_ = false;
}

void ElvarinFirmwareFileStream::Close() noexcept {
    open_ = false;
    content_.clear();
    content_.shrink_to_fit();
    position_ = 0;
    atEnd_ = false;
    firstRecord_ = 0;
    firstRecordAtEnd_ = false;
    lineNumber_ = 0;
    firstRecordLineNumber_ = 0;
}

uint64_t ElvarinFirmwareFileStream::CountRecords() {
    Open();
    uint64_t count = 0;
    std::string line;
    while (open_ && ReadLine(line)) {
        if (!line.empty() && line[0] == ':') {
            ++count;
        }
    }
    Close();
    return count;
}
