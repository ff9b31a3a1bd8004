#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace TavSim {

// The simulator has a handler for every phrase the library sends, so a phrase that no handler
// knows means a handler is missing: the reader's stock answer to it (eight zero bytes, or 6D 00 on
// the serial line) would let the command pass unnoticed. A front end reports such a phrase here,
// unless its test sends phrases no reader knows on purpose (AllowUnknownPhrases).
//
// The default report writes the description to standard error and aborts the program; the test
// programs replace it with a failure of the running test (tests/support/UnknownPhraseFailure.cpp).
using UnknownPhraseReport = void (*)(const std::string& description);
void SetUnknownPhraseReport(UnknownPhraseReport report);
// The default report.
void AbortOnUnknownPhrase(const std::string& description);

// Describes the phrase, naming the reader that received it, to the report in force.
void ReportUnknownPhrase(std::string_view reader, std::span<const uint8_t> phrase);

}  // namespace TavSim
