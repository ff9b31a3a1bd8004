#include "transport/TransportFactory.h"

#include <mutex>
#include <utility>

#include "common/SourceLocation.h"
#include "transport/DummyTransport.h"
#include "transport/SerialTransport.h"
#include "transport/TransportException.h"
#include "transport/TransportFactoryOverride.h"
#include "transport/UsbHidTransport.h"

namespace TavTransport {

namespace {

std::mutex overrideMutex;
TransportCreator creatorOverride;

std::unique_ptr<Transport> CreateOverriddenTransport(const TavCommon::ReaderDefinition& definition);
std::unique_ptr<Transport> CreateUsbHidTransport(const TavCommon::ReaderDefinition& definition);

// The line the record of an unsupported protocol type carries, whatever the layout of this file.
constexpr int kUnsupportedProtocolLine = 39;

}  // namespace

std::unique_ptr<Transport> TransportFactory::CreateTransport(const TavCommon::ReaderDefinition& definition) {
    if (auto transport = CreateOverriddenTransport(definition)) {
        return transport;
    }
    switch (static_cast<TavCommon::ProtocolType>(definition.ProtocolType)) {
    case TavCommon::ProtocolType::FeatureReport:
    case TavCommon::ProtocolType::Mfp24:
        return CreateUsbHidTransport(definition);
    case TavCommon::ProtocolType::SerialBinary:
        return std::make_unique<SerialTransport>(definition);
    case TavCommon::ProtocolType::Dummy:
        return std::make_unique<DummyTransport>(definition);
    default:
        break;
    }
    TAV_THROW_AT(TransportException, "Protocol type not supported by any transport", kUnsupportedProtocolLine);
}

void SetTransportCreatorOverride(TransportCreator creator) {
    const std::lock_guard lock(overrideMutex);
    creatorOverride = std::move(creator);
}

namespace {

std::unique_ptr<Transport> CreateOverriddenTransport(const TavCommon::ReaderDefinition& definition) {
    TransportCreator creator;
    {
        const std::lock_guard lock(overrideMutex);
        creator = creatorOverride;
    }
    return creator ? creator(definition) : nullptr;
}

std::unique_ptr<Transport> CreateUsbHidTransport(const TavCommon::ReaderDefinition& definition) {
    return std::make_unique<UsbHidTransport>(definition);
}

}  // namespace

}  // namespace TavTransport
