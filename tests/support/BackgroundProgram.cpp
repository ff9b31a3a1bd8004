#include "support/BackgroundProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <system_error>

extern char** environ;

namespace TavTest {

BackgroundProgram::BackgroundProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::array<int, 2> pipe{};
    if (pipe2(pipe.data(), O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::system_category(), "pipe2");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    const int result = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    if (result != 0) {
        ::close(pipe[0]);
        throw std::system_error(result, std::system_category(), "posix_spawn " + program);
    }
    output_ = pipe[0];
}

BackgroundProgram::~BackgroundProgram() {
    Terminate();
    if (output_ != -1) {
        ::close(output_);
    }
}

std::optional<std::string> BackgroundProgram::ReadLine(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const auto end = buffered_.find('\n'); end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        pollfd entry{output_, POLLIN, 0};
        if (left <= 0 || ::poll(&entry, 1, static_cast<int>(left)) <= 0) {
            return std::nullopt;
        }
        std::array<char, 256> chunk{};
        const ssize_t count = ::read(output_, chunk.data(), chunk.size());
        if (count <= 0) {
            return std::nullopt;
        }
        buffered_.append(chunk.data(), static_cast<std::size_t>(count));
    }
}

int BackgroundProgram::Terminate() {
    if (pid_ == -1) {
        return -1;
    }
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) == -1 && errno == EINTR) {
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace TavTest
