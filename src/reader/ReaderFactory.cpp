#include "reader/ReaderFactory.h"

#include <utility>

#include "reader/Reader.h"

namespace Tav {

std::unique_ptr<Reader> ReaderFactory::BuildOstiva(std::shared_ptr<TavProtocol::ProtocolFacade> facade,
                                                   TavProtocol::ProtocolHandle facadeHandle) {
    return std::make_unique<Reader>(std::move(facade), facadeHandle);
}

}  // namespace Tav
