#pragma once

#include <cstdint>
#include <filesystem>

#include "facade/ProtocolHandle.h"
#include "records/CardAnalyzerControlParameter.h"
#include "records/CardAnalyzerData.h"
#include "records/CardAnalyzerStatus.h"
#include "records/CardReadPayload.h"
#include "records/GetCardDataSizeParameters.h"
#include "records/QueuedIdFlagParameters.h"
#include "records/QueuedIdInformation.h"
#include "Tavelin/LibraryInfo.h"
#include "Tavelin/ProtocolCommandResult.h"
#include "Tavelin/ReaderDefinition.h"
#include "transport/TransportPayload.h"
#include "transport/UsbSysfs.h"

// The protocol library's handle-based interface: one wrapper per facade operation, naming the
// facade by its handle. Nothing here leaves the library (hidden, and in a namespace of its own so
// that names such as GetCardData never meet a host's). Every wrapper returns a record, never an
// exception: null out-pointers and unknown handles are refused before any input or output, and
// results that come in arrays take the caller's capacity and report "BufferOverflow" rather than
// write past it.
namespace TavProtocol {
namespace [[gnu::visibility("hidden")]] Exports {

ProtocolHandle CreateProtocolInstance(const TavCommon::ReaderDefinition& definition, int retryCount,
                                      ProtocolCommandResult* result);
void DestroyProtocolInstance(ProtocolHandle handle);

// Fills info with the protocol library's record and returns it; null stays null.
Tav::LibraryInfo* GetLibraryInfo(Tav::LibraryInfo* info);

// The host's two-call discovery over a cached list. With readers null it lists the USB readers,
// caches them and stores their number in *readerCount; otherwise it copies the cached list into
// readers, provided *readerCount is its size.
ProtocolCommandResult DiscoverUsbReaders(TavCommon::ReaderDefinition* readers, uint64_t* readerCount,
                                         const std::filesystem::path& sysfsRoot = TavTransport::UsbSysfs::kDefaultRoot);

// Cards. *cardTypeCount and *recordCount hold the array's capacity on entry and the number written
// on success.
ProtocolCommandResult GetSupportedCards(ProtocolHandle handle, unsigned short* cardTypes, unsigned int* cardTypeCount);
ProtocolCommandResult GetCardData(ProtocolHandle handle, GetCardDataSizeParameters size, unsigned char* buffer,
                                  unsigned long bufferSize);
ProtocolCommandResult GetCardBitCount(ProtocolHandle handle, unsigned char* bitCount);
ProtocolCommandResult GetCardReadPayload(ProtocolHandle handle, GetCardDataSizeParameters size,
                                         CardReadPayload* payload);
ProtocolCommandResult GetQueuedId(ProtocolHandle handle, const QueuedIdFlagParameters& flags,
                                  QueuedIdInformation* queuedId);
ProtocolCommandResult GetCardAnalyzerStatus(ProtocolHandle handle, CardAnalyzerStatus* status);
ProtocolCommandResult SetCardAnalyzerControl(ProtocolHandle handle, CardAnalyzerControlParameter control);
ProtocolCommandResult GetCardAnalyzerData(ProtocolHandle handle, CardAnalyzerData* records, unsigned int* recordCount,
                                          unsigned char cardCount);

// Device identity and the raw transport. Receive copies the bytes read into buffer when they fit
// its capacity; a capacity above 65535 reads at most 65535 bytes.
ProtocolCommandResult GetDeviceId(ProtocolHandle handle, TavCommon::DeviceId* deviceId);
ProtocolCommandResult Transmit(ProtocolHandle handle, const unsigned char* data, unsigned int size,
                               TavTransport::ReportType kind);
ProtocolCommandResult Receive(ProtocolHandle handle, unsigned char* buffer, unsigned int capacity,
                              TavTransport::ReportType kind);

}  // namespace Exports
}  // namespace TavProtocol
