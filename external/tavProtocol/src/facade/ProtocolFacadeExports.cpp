#include "facade/ProtocolFacadeExports.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "common/FixedText.h"
#include "facade/ProtocolFacade.h"
#include "facade/ProtocolLibraryInfo.h"

namespace TavProtocol::Exports {

namespace {

// What the last counting call found; the copying call hands out exactly this list.
std::mutex discoveryCacheMutex;
std::vector<TavCommon::ReaderDefinition> discoveryCache;

// The records of this layer's own argument errors name fixed lines that hosts may match.
constexpr int32_t kNullCountLine = 65;
constexpr int32_t kCountMismatchLine = 80;
constexpr int32_t kNullDataLine = 778;
constexpr int32_t kNullBufferLine = 799;
constexpr int32_t kReceiveOverflowLine = 814;

constexpr std::string_view kFile = "./external/tavProtocol/src/ProtocolFacadeExports";

// A receive's length travels in 16 bits.
constexpr unsigned int kLargestReceive = 65535;

ProtocolCommandResult ZeroResult() noexcept {
    ProtocolCommandResult result;
    std::memset(&result, 0, sizeof result);
    return result;
}

ProtocolCommandResult InvalidHandleResult() noexcept {
    ProtocolCommandResult result = ZeroResult();
    result.HasException = true;
    TavCommon::CopyToFixedField(result.Message, "Invalid protocol handle");
    return result;
}

ProtocolCommandResult NullPointerResult(std::string_view message, int32_t line, std::string_view function) {
    return MakeInvalidArgumentResult(message, kFile, line, function);
}

// The result did not fit the caller's array; nothing of it was copied.
ProtocolCommandResult OverflowResult(std::string_view unit, std::size_t actual, std::size_t capacity, int32_t line,
                                     std::string_view function) {
    ProtocolCommandResult result = MakeInvalidArgumentResult(
        fmt::format("Received data exceeds buffer size. Actual {}: {}, Buffer capacity: {}", unit, actual, capacity),
        kFile, line, function);
    TavCommon::CopyToFixedField(result.ExceptionType, "BufferOverflow");
    return result;
}

// Every wrapper's frame: the handle's facade, held for the whole call so that a concurrent
// destruction cannot free it underneath; then the operation. Whatever escapes, the facade's own
// guards included, becomes the record.
template <typename Operation>
ProtocolCommandResult OnFacade(ProtocolHandle handle, Operation&& operation) noexcept {
    try {
        const std::shared_ptr<ProtocolFacade> facade = ProtocolFacade::GetInstance(handle);
        if (!facade) {
            return InvalidHandleResult();
        }
        return operation(static_cast<const ProtocolFacade&>(*facade));
    } catch (...) {
        return RecordCurrentException();
    }
}

// Runs an operation whose result is a vector and copies it into the caller's array of *count
// elements, storing the number copied; a result larger than the array is refused whole.
template <typename Element, typename Operation>
ProtocolCommandResult IntoArray(ProtocolHandle handle, Element* array, unsigned int* count, std::string_view unit,
                                int32_t overflowLine, std::string_view function, Operation&& operation) noexcept {
    return OnFacade(handle, [&](const ProtocolFacade& facade) {
        std::vector<Element> elements;
        const ProtocolCommandResult result = operation(facade, elements);
        if (result.HasException) {
            return result;
        }
        if (elements.size() > *count) {
            return OverflowResult(unit, elements.size(), *count, overflowLine, function);
        }
        std::copy(elements.begin(), elements.end(), array);
        *count = static_cast<unsigned int>(elements.size());
        return result;
    });
}

}  // namespace

ProtocolHandle CreateProtocolInstance(const TavCommon::ReaderDefinition& definition, int retryCount,
                                      ProtocolCommandResult* result) {
    return ProtocolFacade::CreateInstance(definition, retryCount, result);
}

void DestroyProtocolInstance(ProtocolHandle handle) { ProtocolFacade::DestroyInstance(handle); }

Tav::LibraryInfo* GetLibraryInfo(Tav::LibraryInfo* info) {
    if (info != nullptr) {
        BuildProtocolLibraryInfo(*info);
    }
    return info;
}

ProtocolCommandResult DiscoverUsbReaders(TavCommon::ReaderDefinition* readers, uint64_t* readerCount,
                                         const std::filesystem::path& sysfsRoot) {
    if (readerCount == nullptr) {
        return NullPointerResult("readerCount pointer cannot be null", kNullCountLine, "DiscoverUsbReaders");
    }
    try {
        const std::lock_guard lock(discoveryCacheMutex);
        if (readers == nullptr) {
            const ProtocolCommandResult result = ProtocolFacade::DiscoverUsbReaders(discoveryCache, sysfsRoot);
            if (!result.HasException) {
                *readerCount = discoveryCache.size();
            }
            return result;
        }
        if (*readerCount != discoveryCache.size()) {
            return MakeInvalidArgumentResult(
                "Provided readerCount does not match the number of readers. Call DiscoverUsbReaders with readers set "
                "to nullptr to get the required buffer size.",
                kFile, kCountMismatchLine, "DiscoverUsbReaders");
        }
        std::copy(discoveryCache.begin(), discoveryCache.end(), readers);
        return ZeroResult();
    } catch (...) {
        return RecordCurrentException();
    }
}

ProtocolCommandResult GetSupportedCards(ProtocolHandle handle, unsigned short* cardTypes,
                                        unsigned int* cardTypeCount) {
    if (cardTypeCount == nullptr) {
        return NullPointerResult("cardTypeCount pointer cannot be null", __LINE__, __func__);
    }
    if (cardTypes == nullptr && *cardTypeCount != 0) {
        return NullPointerResult("cardTypes pointer cannot be null", __LINE__, __func__);
    }
    return IntoArray(handle, cardTypes, cardTypeCount, "count", __LINE__, __func__,
                     [](const ProtocolFacade& facade, std::vector<unsigned short>& codes) {
                         return facade.GetSupportedCards(codes);
                     });
}

ProtocolCommandResult GetCardData(ProtocolHandle handle, GetCardDataSizeParameters size, unsigned char* buffer,
                                  unsigned long bufferSize) {
    if (buffer == nullptr && bufferSize != 0) {
        return NullPointerResult("buffer pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle,
                    [&](const ProtocolFacade& facade) { return facade.GetCardData(size, buffer, bufferSize); });
}

ProtocolCommandResult GetCardBitCount(ProtocolHandle handle, unsigned char* bitCount) {
    if (bitCount == nullptr) {
        return NullPointerResult("bitCount pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.GetCardBitCount(*bitCount); });
}

ProtocolCommandResult GetCardReadPayload(ProtocolHandle handle, GetCardDataSizeParameters size,
                                         CardReadPayload* payload) {
    if (payload == nullptr) {
        return NullPointerResult("payload pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.GetCardReadPayload(size, *payload); });
}

ProtocolCommandResult GetQueuedId(ProtocolHandle handle, const QueuedIdFlagParameters& flags,
                                  QueuedIdInformation* queuedId) {
    if (queuedId == nullptr) {
        return NullPointerResult("queuedId pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.GetQueuedId(flags, *queuedId); });
}

ProtocolCommandResult GetCardAnalyzerStatus(ProtocolHandle handle, CardAnalyzerStatus* status) {
    if (status == nullptr) {
        return NullPointerResult("status pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.GetCardAnalyzerStatus(*status); });
}

ProtocolCommandResult SetCardAnalyzerControl(ProtocolHandle handle, CardAnalyzerControlParameter control) {
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.SetCardAnalyzerControl(control); });
}

ProtocolCommandResult GetCardAnalyzerData(ProtocolHandle handle, CardAnalyzerData* records, unsigned int* recordCount,
                                          unsigned char cardCount) {
    if (recordCount == nullptr) {
        return NullPointerResult("recordCount pointer cannot be null", __LINE__, __func__);
    }
    if (records == nullptr && *recordCount != 0) {
        return NullPointerResult("records pointer cannot be null", __LINE__, __func__);
    }
    return IntoArray(handle, records, recordCount, "count", __LINE__, __func__,
                     [cardCount](const ProtocolFacade& facade, std::vector<CardAnalyzerData>& elements) {
                         return facade.GetCardAnalyzerData(elements, cardCount);
                     });
}

ProtocolCommandResult GetDeviceId(ProtocolHandle handle, TavCommon::DeviceId* deviceId) {
    if (deviceId == nullptr) {
        return NullPointerResult("deviceId pointer cannot be null", __LINE__, __func__);
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) { return facade.GetDeviceId(*deviceId); });
}

ProtocolCommandResult Transmit(ProtocolHandle handle, const unsigned char* data, unsigned int size,
                               TavTransport::ReportType kind) {
    if (data == nullptr) {
        return NullPointerResult("data pointer cannot be null", kNullDataLine, "Transmit");
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) {
        // The transports send every byte of the vector; the length is only what they log.
        TavTransport::TransportPayload payload{std::vector<uint8_t>(data, data + size),
                                               static_cast<uint16_t>(std::min(size, kLargestReceive)), kind};
        return facade.Transmit(payload);
    });
}

ProtocolCommandResult Receive(ProtocolHandle handle, unsigned char* buffer, unsigned int capacity,
                              TavTransport::ReportType kind) {
    if (buffer == nullptr) {
        return NullPointerResult("buffer pointer cannot be null", kNullBufferLine, "Receive");
    }
    return OnFacade(handle, [&](const ProtocolFacade& facade) {
        // Cut, not wrapped: 65536 must not become a request for nothing.
        TavTransport::TransportPayload payload{{}, static_cast<uint16_t>(std::min(capacity, kLargestReceive)), kind};
        const ProtocolCommandResult result = facade.Receive(payload);
        if (result.HasException) {
            return result;
        }
        if (payload.data.size() > capacity) {
            return OverflowResult("bytes", payload.data.size(), capacity, kReceiveOverflowLine, "Receive");
        }
        std::copy(payload.data.begin(), payload.data.end(), buffer);
        return result;
    });
}

}  // namespace TavProtocol::Exports
