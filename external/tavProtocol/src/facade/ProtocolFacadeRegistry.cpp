// The handles of ProtocolFacade: the registry of open facades, and the calls that open a reader
// into it, find one and close one.
#include <fmt/format.h>

#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "common/FixedText.h"
#include "common/HandleCounter.h"
#include "common/Logger.h"
#include "facade/ProtocolFacade.h"
#include "facade/ProtocolFactory.h"
#include "transport/TransportFactory.h"

namespace TavProtocol {

namespace {

const TavCommon::Logger::Holder& logger = TavCommon::Logger::GetInstance();

// The process-wide registry of open facades. It is never destroyed: facades still open when the
// library unloads are left alone rather than closed behind the host's back.
struct FacadeRegistry {
    // Guards the map only; never held while a facade's own mutex is taken.
    std::mutex mutex;
    std::unordered_map<ProtocolHandle, std::shared_ptr<ProtocolFacade>> facades;
};

FacadeRegistry& Registry() {
    static FacadeRegistry* const registry = new FacadeRegistry();
    return *registry;
}

// Built at load, with the logger, so the first lookups never race on its construction.
[[maybe_unused]] FacadeRegistry& registryAtLoad = Registry();

}  // namespace

ProtocolHandle ProtocolFacade::CreateInstance(const TavCommon::ReaderDefinition& definition, int retryCount,
                                              ProtocolCommandResult* result) {
    // No lock around the creation: a reader still retrying its connection never holds up another
    // (the transport guards the few library calls that must not run at once).
    FacadeRegistry& registry = Registry();
    // Declared before the try so that, on failure, the transport and the protocol object (locals
    // of the try) are gone before the facade.
    std::shared_ptr<ProtocolFacade> facade;
    try {
        facade = std::make_shared<ProtocolFacade>(ConstructionKey{});
        std::unique_ptr<Protocol> protocol = ProtocolFactory::GetProtocol(definition.ProtocolType);
        std::unique_ptr<TavTransport::Transport> transport =
            TavTransport::TransportFactory::CreateTransport(definition);
        TavCommon::Logger::Trace(logger, TavCommon::kProtocolCategory,
                                 "Protocol Instance Created: {}\nTransport Instance Created: {}",
                                 fmt::ptr(protocol.get()), fmt::ptr(transport.get()));
        if (!transport) {
            if (result != nullptr) {
                result->HasException = true;
                TavCommon::CopyToFixedField(result->Message, "Failed to create protocol or transport");
                TavCommon::CopyToFixedField(result->ExceptionType, "InitializationException");
            }
            return 0;
        }
        // A host's negative count would otherwise become billions of attempts.
        transport->init(retryCount < 0 ? 0U : static_cast<uint32_t>(retryCount));

        facade->protocol_ = std::move(protocol);
        facade->transport_ = std::move(transport);
        const ProtocolHandle handle = TavCommon::HandleCounter::Next();
        {
            const std::lock_guard lock(registry.mutex);
            registry.facades.emplace(handle, facade);
        }
        if (result != nullptr) {
            result->HasException = false;
        }
        return handle;
    } catch (...) {
        if (result != nullptr) {
            RecordCreationFailure(*result);
        }
    }
    return 0;
}

std::shared_ptr<ProtocolFacade> ProtocolFacade::GetInstance(ProtocolHandle handle) {
    if (handle == 0) {
        return nullptr;
    }
    FacadeRegistry& registry = Registry();
    const std::lock_guard lock(registry.mutex);
    const auto found = registry.facades.find(handle);
    return found == registry.facades.end() ? nullptr : found->second;
}

void ProtocolFacade::DestroyInstance(ProtocolHandle handle) {
    if (handle == 0) {
        return;
    }
    std::shared_ptr<ProtocolFacade> facade;
    {
        FacadeRegistry& registry = Registry();
        const std::lock_guard lock(registry.mutex);
        const auto found = registry.facades.find(handle);
        if (found == registry.facades.end() || found->second->beingDestroyed_.load()) {
            return;
        }
        facade = std::move(found->second);
        registry.facades.erase(found);
    }
    facade->beingDestroyed_.exchange(true);

    // Waits for the running operation; the ones still waiting find the flag set and refuse.
    std::unique_ptr<Protocol> protocol;
    std::unique_ptr<TavTransport::Transport> transport;
    {
        const std::lock_guard lock(facade->mutex_);
        protocol = std::move(facade->protocol_);
        transport = std::move(facade->transport_);
    }
    protocol.reset();
    transport.reset();
    // The facade object itself goes when the last thread still inside one of its operations leaves.
}

}  // namespace TavProtocol
