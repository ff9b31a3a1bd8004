#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace TavTest {

struct ChildResult {
    int exitCode = -1;  // -1 when the child did not exit normally (a signal, a sanitizer abort)
    std::string out;
    std::string err;
};

// Runs a program to completion in the given working folder (an empty path: this process's), with
// standard output and error captured apart. The child gets this process's environment without any
// TAV_ variable, with the given variables set over it (a value of std::nullopt unsets one). A
// child still running after 30 s is killed and reported with exit code -1.
ChildResult RunChild(const std::filesystem::path& program, const std::vector<std::string>& arguments = {},
                     const std::map<std::string, std::optional<std::string>>& variables = {},
                     const std::filesystem::path& workingDirectory = {});

// The path of a program from tests/programs.
std::filesystem::path TestProgram(const std::string& name);

// The lines of a child's output, log lines as "[level] [CATEGORY] text" (spdlog's time and logger
// name dropped), other lines whole.
std::vector<std::string> LogLines(const std::string& output);

}  // namespace TavTest
