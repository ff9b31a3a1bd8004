#pragma once

#include "Tavelin/Export.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace TavProtocol {
class ProtocolFacade;
}

namespace Tav {

// Facts that a rule may need beyond the metadata, asked of the reader when needed. It does not
// keep the facade alive: a reader that is gone simply has nothing to tell.
class TAV_API DefaultCapabilityDataProvider {
public:
    explicit DefaultCapabilityDataProvider(std::weak_ptr<TavProtocol::ProtocolFacade> facade);
    virtual ~DefaultCapabilityDataProvider();
    DefaultCapabilityDataProvider(const DefaultCapabilityDataProvider&) = delete;
    DefaultCapabilityDataProvider& operator=(const DefaultCapabilityDataProvider&) = delete;

    // Empty when there is no reader or it did not answer.
    virtual std::optional<uint16_t> GetCardAnalyzerStatus() const;

private:
    std::weak_ptr<TavProtocol::ProtocolFacade> facade_;
};

}  // namespace Tav
