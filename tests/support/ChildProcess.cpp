#include "support/ChildProcess.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <thread>

#include "support/TempDir.h"

extern char** environ;

namespace TavTest {

namespace {

std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

std::vector<std::string> ChildEnvironment(const std::map<std::string, std::optional<std::string>>& variables) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        // A variable the caller names replaces the inherited one: getenv would find the first.
        const bool named = variables.contains(std::string(text.substr(0, text.find('='))));
        if (!text.starts_with("TAV_") && !named) {
            entries.emplace_back(text);
        }
    }
    for (const auto& [name, value] : variables) {
        if (value) {
            entries.push_back(name + "=" + *value);
        }
    }
    return entries;
}

}  // namespace

ChildResult RunChild(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     const std::map<std::string, std::optional<std::string>>& variables,
                     const std::filesystem::path& workingDirectory) {
    // Output goes to files rather than pipes, so a chatty child can never block on a full pipe.
    const TempDir capture;
    const std::filesystem::path outPath = capture.Path() / "out";
    const std::filesystem::path errPath = capture.Path() / "err";

    std::vector<std::string> argvText{program.string()};
    argvText.insert(argvText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : argvText) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> envText = ChildEnvironment(variables);
    std::vector<char*> envp;
    for (auto& text : envText) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
            (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0)) {
            _exit(127);
        }
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    // A child that hangs (say, a deadlock at exit) is killed, so the test fails instead of stalling.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    bool timedOut = false;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            throw std::runtime_error("waitpid failed");
        }
        if (!timedOut && std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            timedOut = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ChildResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadWhole(outPath);
    result.err = ReadWhole(errPath);
    if (timedOut) {
        result.err += "\n(killed after 30 s)\n";
    }
    return result;
}

std::filesystem::path TestProgram(const std::string& name) {
    return std::filesystem::path(TAV_TEST_PROGRAM_DIR) / name;
}

std::vector<std::string> LogLines(const std::string& output) {
    constexpr std::string_view kLoggerName = "] [TAV] ";
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = output.substr(start, end - start);
        const std::size_t name = line.find(kLoggerName);
        lines.push_back(line.starts_with('[') && name != std::string::npos ? line.substr(name + kLoggerName.size())
                                                                           : line);
    }
    return lines;
}

}  // namespace TavTest
