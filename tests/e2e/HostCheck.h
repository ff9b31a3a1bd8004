#pragma once

// What an end-to-end host program needs besides the public header: checks that count their
// failures and say where, and the simulated reader as a child process. Standard and POSIX headers
// only, so the host stays a host.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "Tavelin.h"

extern char** environ;

namespace HostCheck {

inline int failures = 0;

inline void Fail(const char* file, int line, const std::string& what) {
    ++failures;
    std::fprintf(stderr, "%s:%d: FAILED: %s\n", file, line, what.c_str());
}

// The record as one line: code, type, message, file, line, function, and the inner error.
inline std::string Describe(const TavResult& result) {
    std::string text = "code " + std::to_string(result.Code) + " [" + result.ExceptionType + "] '" + result.Message +
                       "' at " + result.File + ":" + std::to_string(result.Line) + " in " + result.Function;
    if (result.HasInnerException != 0) {
        text += " (inner [" + std::string(result.InnerExceptionType) + "] '" + result.InnerMessage + "' at " +
                result.InnerFile + ":" + std::to_string(result.InnerLine) + ")";
    }
    return text;
}

// Returns the program's exit code: 0 when every check held.
inline int Finish(const char* name) {
    std::printf("%s: %s (%d failed checks)\n", name, failures == 0 ? "passed" : "FAILED", failures);
    return failures == 0 ? 0 : 1;
}

// The standard CRC-32, as eight upper-case hexadecimal digits: the checksum of configuration files.
inline std::string Crc32Text(const std::string& text) {
    uint32_t crc = 0xFFFFFFFF;
    for (const unsigned char byte : text) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
        }
    }
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", ~crc);
    return digits;
}

// The simulated serial reader's port as a host names it: serial binary, 115200 baud, 8N1.
inline TavCommon::ReaderDefinition SerialDefinition(const std::string& portName) {
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = 3;  // serial binary
    auto& settings = definition.SerialPortSettings;
    settings.BaudRate = 115200;
    settings.ByteSize = 8;
    settings.DataBits = 4;  // eight
    settings.StopBits = 1;
    std::strncpy(settings.PortName, portName.c_str(), sizeof settings.PortName - 1);
    return definition;
}

// The cards a host's callbacks received, in order, from whichever thread delivers them.
class CardLog {
public:
    void Add(const uint8_t* data, uint32_t bitCount) {
        {
            const std::lock_guard lock(mutex_);
            cards_.emplace_back(data, data + (bitCount + 7) / 8);
        }
        arrived_.notify_all();
    }

    // False when fewer than `count` cards arrived within five seconds.
    bool WaitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::seconds(5), [&] { return cards_.size() >= count; });
    }

    std::vector<std::vector<uint8_t>> Cards() const {
        const std::lock_guard lock(mutex_);
        return cards_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::vector<uint8_t>> cards_;
};

// A simulator program beside the host: its input takes commands, its output answers them.
class Simulator {
public:
    Simulator(const std::string& program, std::vector<std::string> arguments) {
        int input[2];
        int output[2];
        if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) {
            std::perror("pipe2");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        arguments.insert(arguments.begin(), program);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        toSimulator_ = input[1];
        fromSimulator_ = output[0];
    }
    ~Simulator() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        ::close(toSimulator_);
        ::close(fromSimulator_);
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // The next line it prints; empty after five seconds of silence.
    std::string ReadLine() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (;;) {
            if (const auto end = buffered_.find('\n'); end != std::string::npos) {
                std::string line = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                     std::chrono::steady_clock::now());
            pollfd watched{fromSimulator_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&watched, 1, static_cast<int>(left.count())) <= 0) {
                return "";
            }
            char chunk[256];
            const ssize_t count = ::read(fromSimulator_, chunk, sizeof chunk);
            if (count <= 0) {
                return "";
            }
            buffered_.append(chunk, static_cast<std::size_t>(count));
        }
    }

    // Sends one command line; the line the simulator answered, empty when it did not.
    std::string Ask(const std::string& line) {
        const std::string text = line + "\n";
        if (::write(toSimulator_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            return "";
        }
        return ReadLine();
    }

    // Sends one command line; true when the simulator answered "ok".
    bool Command(const std::string& line) { return Ask(line) == "ok"; }

private:
    pid_t pid_ = -1;
    int toSimulator_ = -1;
    int fromSimulator_ = -1;
    std::string buffered_;
};

// Says on standard error when the simulator answered late, as on a loaded machine: a failed
// check is then no sure sign of the library's fault. Ask only while the host exchanges nothing.
inline void ReportLateAnswers(Simulator& simulator, const char* host) {
    const std::string late = simulator.Ask("late");
    if (late != "0") {
        std::fprintf(stderr, "%s: the simulator answered late (%s replies written after the host stopped waiting)\n",
                     host, late.empty() ? "no count given" : late.c_str());
    }
}

}  // namespace HostCheck

#define CHECK(condition) \
    ((condition) ? true : (HostCheck::Fail(__FILE__, __LINE__, #condition), false))
#define CHECK_OK(result) \
    (((result).Code == 0) ? true : (HostCheck::Fail(__FILE__, __LINE__, HostCheck::Describe(result)), false))
