#include "Tavelin/ReaderFactory.h"

#include <utility>

#include "Tavelin/Reader.h"
#include "common/TimeDelayFactory.h"

namespace Tav {

std::unique_ptr<Reader> ReaderFactory::BuildOstiva(std::shared_ptr<TavProtocol::ProtocolFacade> facade,
                                                   TavProtocol::ProtocolHandle facadeHandle) {
    // The smart-card pauses take the same replaceable delay as the facade's waits.
    return std::make_unique<Reader>(std::move(facade), facadeHandle, TavCommon::MakeTimeDelay());
}

}  // namespace Tav
