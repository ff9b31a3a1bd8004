// Whatever a reader of any protocol answers, every facade operation, with its visitor, comes back
// as a result record: nothing escapes, nothing reads past a reply, nothing waits.
// Input: a protocol selector, the operation's name and a NUL, an argument byte, then the replies,
// each a length byte and its bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "FuzzReplyTransport.h"
#include "common/TimeDelayFactory.h"
#include "facade/ProtocolFacade.h"
#include "support/CatalogueFuzzInput.h"
#include "support/OperationCatalogue.h"
#include "transport/TransportFactoryOverride.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    static const bool noWaits = [] {
        TavCommon::SetTimeDelayCreatorOverride([] { return std::make_unique<TavFuzz::NoWait>(); });
        return true;
    }();
    (void)noWaits;

    const uint8_t protocol = data[0] % 3 + 1;
    const auto input = TavTest::ReadCatalogueFuzzInput(std::span<const uint8_t>(data + 1, size - 1));
    TavTransport::SetTransportCreatorOverride(
        [&](const TavCommon::ReaderDefinition&) -> std::unique_ptr<TavTransport::Transport> {
            if (protocol == 3) {
                return std::make_unique<TavFuzz::SerialFuzzTransport>(input.replies);
            }
            return std::make_unique<TavFuzz::FuzzReplyTransport>(input.replies, protocol == 2 ? 24 : 8);
        });
    TavCommon::ReaderDefinition definition{};
    definition.ProtocolType = protocol;
    const auto handle = TavProtocol::ProtocolFacade::CreateInstance(definition, 0, nullptr);
    if (handle == 0) {
        std::abort();
    }
    {
        const auto operations = TavTest::OperationCatalogue();
        const auto facade = TavProtocol::ProtocolFacade::GetInstance(handle);
        const auto& operation = operations[TavTest::PickRow(operations.size(), input.rowName,
                                                            [&](std::size_t i) { return operations[i].operation; })];
        operation.run(*facade, input.argument);
    }
    TavProtocol::ProtocolFacade::DestroyInstance(handle);
    TavTransport::SetTransportCreatorOverride(nullptr);
    return 0;
}
