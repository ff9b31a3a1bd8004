#include "facade/ProtocolLibraryInfo.h"

#include "common/LibraryInfoBuilder.h"

namespace TavProtocol {

Tav::LibraryInfo& BuildProtocolLibraryInfo(Tav::LibraryInfo& info) {
    return TavCommon::FillLibraryInfo(
        info, {"Tavelin Protocol Library", "TAV Protocol",
               "Tavelin Protocol Library: the wire protocols of Tavelin desktop card readers."});
}

}  // namespace TavProtocol
