#include "Tavelin/DefaultCapabilityDataProvider.h"

#include <utility>

#include "facade/ProtocolFacade.h"

namespace Tav {

DefaultCapabilityDataProvider::DefaultCapabilityDataProvider(std::weak_ptr<TavProtocol::ProtocolFacade> facade)
    : facade_(std::move(facade)) {}

DefaultCapabilityDataProvider::~DefaultCapabilityDataProvider() = default;

std::optional<uint16_t> DefaultCapabilityDataProvider::GetCardAnalyzerStatus() const {
    const std::shared_ptr<TavProtocol::ProtocolFacade> facade = facade_.lock();
    if (!facade) {
        return std::nullopt;
    }
    TavProtocol::CardAnalyzerStatus status = 0;
    if (facade->GetCardAnalyzerStatus(status).HasException) {
        return std::nullopt;
    }
    return status;
}

}  // namespace Tav
