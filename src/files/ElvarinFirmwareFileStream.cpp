#include "files/ElvarinFirmwareFileStream.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace {

class ScopedDescriptor {
public:
    explicit ScopedDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~ScopedDescriptor() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
    }
    ScopedDescriptor(const ScopedDescriptor&) = delete;
    ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
    int Get() const { return descriptor_; }

private:
    int descriptor_;
};

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

    // Non-blocking, so that opening a FIFO without a writer returns at once and can be refused.
    const ScopedDescriptor file(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) {
        return;
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0) {
        return;
    }
    if (!S_ISREG(status.st_mode)) {
        TAV_THROW(ElvarinException, fmt::format("Firmware file {} is not a regular file", path_));
    }
    if (static_cast<uint64_t>(status.st_size) > kMaxFileSize) {
        TAV_THROW(ElvarinException, fmt::format("Firmware file {} is larger than {} bytes", path_, kMaxFileSize));
    }

    // Read up to one byte past the cap, so that a file that grew after fstat is refused as well.
    std::string content(static_cast<std::size_t>(status.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size()) {
            if (content.size() > kMaxFileSize) {
                TAV_THROW(ElvarinException,
                          fmt::format("Firmware file {} is larger than {} bytes", path_, kMaxFileSize));
            }
            content.resize(std::min(content.size() * 2, kMaxFileSize + 1));
        }
        const ssize_t count = ::read(file.Get(), content.data() + filled, content.size() - filled);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return;
        }
        if (count == 0) {
            break;
        }
        filled += static_cast<std::size_t>(count);
    }
    content.resize(filled);

    content_ = std::move(content);
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
