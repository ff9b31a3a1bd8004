#pragma once

#include "Tavelin/Export.h"

#include <memory>

#include "Tavelin/DefaultCapabilityDataProvider.h"
#include "Tavelin/ReaderCapabilityProfile.h"

namespace Tav {

// The profile every reader gets at Init: the built-in rules over the reader's metadata. No rule
// is registered for the card analyzer, so it is never offered.
class TAV_API DefaultReaderCapabilityProfile : public ReaderCapabilityProfile {
public:
    DefaultReaderCapabilityProfile(const ReaderMetadataStruct& metadata,
                                   std::weak_ptr<TavProtocol::ProtocolFacade> facade);
    ~DefaultReaderCapabilityProfile() override;

private:
    std::unique_ptr<DefaultCapabilityDataProvider> dataProvider_;
};

}  // namespace Tav
