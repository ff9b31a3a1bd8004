#pragma once

#include <string>
#include <vector>

namespace TavTest {

// Runs a program of TAV_TEST_PROGRAM_DIR with the environment assignments given ("A=1 B=2"),
// and returns its standard output line by line, log lines as "[level] [CATEGORY] text" (spdlog's
// time and logger name dropped), other lines whole.
std::vector<std::string> RunProgramForLog(const std::string& programDirectory, const std::string& program,
                                          const std::string& environment);

}  // namespace TavTest
