#include "Tavelin/ReaderDiscovery.h"

#include "Tavelin/ReaderException.h"
#include "common/FixedText.h"
#include "facade/ProtocolFacade.h"

namespace Tav {

std::vector<TavCommon::ReaderDefinition> ReaderDiscovery::DiscoverUsbReaders() {
    std::vector<TavCommon::ReaderDefinition> readers;
    const ProtocolCommandResult result = TavProtocol::ProtocolFacade::DiscoverUsbReaders(readers);
    if (result.HasException) {
        throw ReaderException(
            std::string("Failed to discover USB readers: ").append(TavCommon::ReadFixedField(result.Message)), result,
            "ReaderDiscovery", 19, "DiscoverUsbReaders");
    }
    return readers;
}

}  // namespace Tav
