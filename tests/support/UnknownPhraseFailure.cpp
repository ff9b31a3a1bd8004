// In the test programs a phrase the simulated reader has no handler for fails the test that sent
// it, naming the phrase, instead of ending the program. Outside a test (the programs that tests
// start, the seed writer) it still ends the program.
#include <gtest/gtest.h>

#include "sim/UnknownPhrase.h"

namespace {

void FailTheRunningTest(const std::string& description) {
    if (testing::UnitTest::GetInstance()->current_test_info() == nullptr) {
        TavSim::AbortOnUnknownPhrase(description);
    }
    ADD_FAILURE() << description;
}

const bool installed = (TavSim::SetUnknownPhraseReport(&FailTheRunningTest), true);

}  // namespace
