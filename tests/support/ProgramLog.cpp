#include "support/ProgramLog.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace TavTest {

std::vector<std::string> RunProgramForLog(const std::string& programDirectory, const std::string& program,
                                          const std::string& environment) {
    const std::string command = "env " + environment + " " + programDirectory + "/" + program;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        throw std::runtime_error("cannot start " + command);
    }
    std::string output;
    char buffer[4096];
    for (std::size_t read; (read = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        output.append(buffer, read);
    }

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
