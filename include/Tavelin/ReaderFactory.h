#pragma once

#include "Tavelin/Export.h"

#include <memory>

#include "Tavelin/ProtocolHandle.h"

namespace TavProtocol {
class ProtocolFacade;
}

namespace Tav {

class Reader;

class TAV_API ReaderFactory {
public:
    // A new reader on the facade; the caller owns it.
    static std::unique_ptr<Reader> BuildOstiva(std::shared_ptr<TavProtocol::ProtocolFacade> facade,
                                               TavProtocol::ProtocolHandle facadeHandle);
};

}  // namespace Tav
