#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>

#include "Tavelin/ProtocolCommandResult.h"
#include "core/ProtocolException.h"

namespace TavTest {

// Where a protocol failure came from, as its record says: the message, the source it names and
// the member.
struct ProtocolFailure {
    std::string message;
    std::string file;
    std::string function;
    bool operator==(const ProtocolFailure&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ProtocolFailure& failure) {
    return out << '"' << failure.message << "\" (" << failure.file << ", " << failure.function << ')';
}

// The failure the action throws; an empty record when it throws none.
inline ProtocolFailure CatchProtocolFailure(const std::function<void()>& action) {
    try {
        action();
    } catch (const TavProtocol::ProtocolException& error) {
        return {error.Message(), error.File(), error.Function()};
    }
    return {};
}

// Success as the flat interface reports it: every byte of the record zero, padding included.
inline bool IsAllZero(const ProtocolCommandResult& record) {
    ProtocolCommandResult zero;
    std::memset(&zero, 0, sizeof zero);
    return std::memcmp(&record, &zero, sizeof record) == 0;
}

inline void ExpectProtocolFailure(const std::function<void()>& action, const ProtocolFailure& expected) {
    EXPECT_EQ(CatchProtocolFailure(action), expected);
}

}  // namespace TavTest
