#pragma once

#include <fmt/format.h>

#include <string>

#include "common/SourceLocation.h"
#include "core/ProtocolException.h"

namespace TavTransport {
class Transport;
}

namespace TavProtocol {

class FeatureReportProtocol;
class Mfp24Protocol;
class SerialBinaryProtocol;

// One reader operation: a protocol's Accept calls the Visit for its own class, which checks the
// arguments, runs the command of that protocol and keeps the result.
class CommandVisitor {
public:
    virtual ~CommandVisitor() = default;
    virtual void ValidateArguments() = 0;
    virtual void Visit(FeatureReportProtocol& protocol, TavTransport::Transport& transport) = 0;
    virtual void Visit(Mfp24Protocol& protocol, TavTransport::Transport& transport) = 0;
    virtual void Visit(SerialBinaryProtocol& protocol, TavTransport::Transport& transport) = 0;
};

// What a Visit throws, at once and before any argument check, for a protocol that lacks its
// command (unless the visitor has a text of its own).
inline constexpr const char* kFeatureReportNotSupported =
    "This command is not yet supported with the Feature Report Protocol";
inline constexpr const char* kMfp24NotSupported = "This command is not yet supported with the MFP24 Protocol";
inline constexpr const char* kSerialBinaryNotSupported =
    "This command is not yet supported with the Serial Binary Protocol";

// The visitors' range check, both bounds inclusive.
inline void ThrowProtocolExceptionForPropertyOutOfRange(const std::string& propertyName, int value, int minimum,
                                                        int maximum) {
    if (value >= minimum && value <= maximum) {
        return;
    }
    throw ProtocolException(
        fmt::format("{} setting must be between {} and {} inclusive", propertyName, minimum, maximum), TAV_SOURCE_FILE,
        __LINE__, "ThrowProtocolExceptionForPropertyOutOfRange");
}

}  // namespace TavProtocol
