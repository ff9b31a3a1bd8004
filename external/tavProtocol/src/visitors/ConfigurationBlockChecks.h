#pragma once

#include <string>
#include <string_view>

#include "common/Logger.h"
#include "core/CommandVisitor.h"

namespace TavProtocol {

// Refuses the first member of the block outside its valid range, with the range message. The
// facade runs it over every block of a configuration before the first phrase.
template <typename Block>
void CheckConfigurationBlockRanges(const Block& block) {
    if (const auto violation = block.FindFirstOutOfRange()) {
        ThrowProtocolExceptionForPropertyOutOfRange(violation->PropertyName, static_cast<int>(violation->Value),
                                                    static_cast<int>(violation->Minimum),
                                                    static_cast<int>(violation->Maximum));
    }
}

// What a block writer checks: the block in full in the trace log first, so a refused block can be
// read there, then its ranges.
template <typename Block>
void LogAndCheckConfigurationBlock(std::string_view visitorName, const Block& block) {
    const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();
    if (logger && logger->IsLevelEnabled(TavCommon::kProtocolCategory, TavCommon::Logger::TraceLevel)) {
        std::string text;
        TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory, "{}::ValidateArguments() \n {}", visitorName,
                                 block.ToString(text));
    }
    CheckConfigurationBlockRanges(block);
}

}  // namespace TavProtocol
