#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace TavTest {

// A program that keeps running beside a test (a server), its standard output on a pipe. The destructor ends it
// (SIGTERM, then waits for it), so a failed test never leaves it behind.
class BackgroundProgram {
public:
    BackgroundProgram(const std::string& program, const std::vector<std::string>& arguments);
    ~BackgroundProgram();
    BackgroundProgram(const BackgroundProgram&) = delete;
    BackgroundProgram& operator=(const BackgroundProgram&) = delete;

    // The next line of its output, without the line feed; none when it ends or stays silent.
    std::optional<std::string> ReadLine(int timeoutMs);
    // Sends SIGTERM and returns its exit code (-1 when it did not exit normally).
    int Terminate();

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffered_;
};

}  // namespace TavTest
