#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads a firmware upgrade file, one hexadecimal record line at a time. An optional first line
// "M0", "M1" or "M2" names the file type.
//
// Open reads the whole file at once, and only a regular file of at most kMaxFileSize bytes: a FIFO
// or a device node is refused instead of blocking or being read for ever, and the file cannot
// change between the check of its records and their upgrade.
class ElvarinFirmwareFileStream {
public:
    static constexpr std::size_t kMaxFileSize = 64u * 1024u * 1024u;
    static constexpr std::size_t kMaxLineLength = 1024;

    explicit ElvarinFirmwareFileStream(const std::string& path);
    ~ElvarinFirmwareFileStream();
    ElvarinFirmwareFileStream(const ElvarinFirmwareFileStream&) = delete;
    ElvarinFirmwareFileStream& operator=(const ElvarinFirmwareFileStream&) = delete;

    // Starts clean every time: type 0, flag cleared, then reads the file and its type line. A file
    // that cannot be opened leaves the stream closed; a file that is not regular or too large, and
    // a type line "M3" to "M9", throw.
    void Open();
    bool IsOpen() const { return open_; }
    bool IsEndOfFile() const { return endOfFile_; }
    // The bytes of the next record line: an optional ':' then pairs of hexadecimal digits, line
    // ends (LF, CRLF) dropped. Anything else on the line throws std::invalid_argument. The first
    // read that finds no further line returns nothing; the read after it sets the end-of-file flag.
    std::vector<uint8_t> ReadNextLine();
    // The file's line number (1 for its first line) of the line the last ReadNextLine read.
    std::size_t LineNumber() const { return lineNumber_; }
    // Back to the first record line of what Open read, flag cleared.
    void Rewind();
    void Close() noexcept;
    uint32_t GetFileType() const { return fileType_; }
    // Reopens the file, counts the lines after the type line that begin with ':' and closes it.
    uint64_t CountRecords();

private:
    // One line without its LF, as std::getline would give it; false when none is left.
    bool ReadLine(std::string& line);

    uint32_t fileType_ = 0;
    bool endOfFile_ = false;
    bool open_ = false;
    std::string path_;
    std::string content_;
    std::size_t position_ = 0;
    // Set by a read that reached the end of the content, like a stream's eof bit.
    bool atEnd_ = false;
    // Where Open left the reading, for Rewind.
    std::size_t firstRecord_ = 0;
    bool firstRecordAtEnd_ = false;
    std::size_t lineNumber_ = 0;
    std::size_t firstRecordLineNumber_ = 0;
};
