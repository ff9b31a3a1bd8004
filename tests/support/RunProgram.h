#pragma once

#include <string>
#include <vector>

namespace TavTest {

struct ProgramResult {
    int exitCode = -1;   // -1 when the program did not exit normally
    std::string output;  // standard output and standard error, interleaved
};

// Runs a program to its end with the arguments and, added to this process's environment,
// the "NAME=value" entries.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment = {});

}  // namespace TavTest
