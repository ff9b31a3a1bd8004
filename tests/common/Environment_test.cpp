#include "common/Environment.h"

#include <gtest/gtest.h>

#include "Tavelin/ElvarinException.h"
#include "support/ScopedEnvironment.h"

namespace {

TEST(EnvironmentTest, SetEmptyAndUnsetVariables) {
    const TavTest::ScopedEnvironment environment({{"TAV_TEST_EMPTY", ""}, {"TAV_TEST_UNSET", std::nullopt}});
    EXPECT_TRUE(TavCommon::IsEnvironmentVariableSet("TAV_TEST_EMPTY"));
    EXPECT_EQ(TavCommon::GetEnvironmentVariable("TAV_TEST_EMPTY"), "");
    EXPECT_FALSE(TavCommon::IsEnvironmentVariableSet("TAV_TEST_UNSET"));
    try {
        TavCommon::GetEnvironmentVariable("TAV_TEST_UNSET");
        FAIL() << "an unset variable must throw";
    } catch (const ElvarinException& error) {
        EXPECT_STREQ(error.what(), "Environment variable not set");
        EXPECT_EQ(error.File(), "Environment");
        EXPECT_EQ(error.Function(), "GetEnvironmentVariable");
    }
}

}  // namespace
