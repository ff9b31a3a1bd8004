#pragma once

#include "Tavelin/Export.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>

#include "Tavelin/LibraryInfo.h"
#include "Tavelin/ProtocolHandle.h"
#include "Tavelin/ReaderDefinition.h"
#include "Tavelin/ReaderMetadataStruct.h"
#include "Tavelin/TavResult.h"

namespace TavProtocol {
class ProtocolFacade;
}

namespace Tav {

class GetCardDataCallbackHandler;
class ReaderCapabilityProfile;

// One opened reader on the host's side and the process-wide registry of them. A reader owns its
// metadata record, its capability profile and its card-data callback handler, and shares the
// facade through which every operation reaches the device.
//
// Hosts hold opaque handles that are never reused. The registry hands out shared ownership for
// the length of a call, so a reader is never freed under a thread that is inside one of its
// operations; destroying it closes the device and stops its threads at once, and the object goes
// when the last such call has left.
class TAV_API AbstractReader {
public:
    AbstractReader(std::shared_ptr<TavProtocol::ProtocolFacade> facade, TavProtocol::ProtocolHandle facadeHandle);
    virtual ~AbstractReader();
    AbstractReader(const AbstractReader&) = delete;
    AbstractReader& operator=(const AbstractReader&) = delete;

    // Opens the reader of the definition and registers it; the handle of the new reader.
    static void* CreateReaderInstance(const TavCommon::ReaderDefinition& definition, int retryCount);
    // The registered reader, or null for a null, unknown or destroyed handle.
    static std::shared_ptr<AbstractReader> GetInstance(void* handle);
    // Unregisters the reader, stops its threads and closes the device. Unknown handles are ignored;
    // a call from inside one of the reader's own card callbacks is refused.
    static void DestroyInstance(void* handle);

    // Drops the profile and closes the device; the reader stays registered and keeps its
    // subscribers, whose polling stops.
    virtual void Close();
    // Reads the metadata; a Reader also builds its profile and starts polling for its subscribers.
    virtual void Init();
    void RefreshMetadata();
    // A copy of the whole record, read first when asked or never read.
    ReaderMetadataStruct GetMetadataStruct(bool refresh);
    // The profile the last Init built (a host's own rules last until the next Init); it reads the
    // reader's metadata, so it is asked only while the reader lives.
    virtual std::shared_ptr<ReaderCapabilityProfile> GetReaderCapabilityProfile() const;

    static TavResult GetLibraryInfo(LibraryInfo& info);
    static TavResult GetLibraryInfoAsString(char* buffer, std::size_t size);

    // False when the last population could not settle the block-2 capability flags (no
    // configuration could be read, or the configurations disagree); they then read 0.
    bool CapabilityFlagsKnown() const;

protected:
    // Throws the plain runtime errors of a reader that is being destroyed or has no facade. Takes
    // the object mutex's lock as proof that it is held.
    void CheckUsable(const std::unique_lock<std::mutex>& objectLock) const;
    // Reads the metadata into a local record and swaps it in under the object mutex.
    void PopulateMetadata();
    // Reads metadata again, one population at a time, after the usability checks.
    void RepopulateMetadata(const char* logText);

    const std::unique_ptr<GetCardDataCallbackHandler> callbackHandler_;
    // Guards what follows; never held while the callback handler starts or stops, nor during an
    // exchange with the reader.
    mutable std::mutex mutex_;
    std::shared_ptr<ReaderCapabilityProfile> profile_;
    // Read by the profile's rules, which are asked only under mutex_.
    ReaderMetadataStruct metadata_;
    bool metadataPopulated_ = false;
    bool capabilityFlagsKnown_ = false;
    TavProtocol::ProtocolHandle facadeHandle_;
    std::shared_ptr<TavProtocol::ProtocolFacade> facade_;
    std::atomic<bool> beingDestroyed_{false};

private:
    // Serialises populations, whose exchanges must not interleave with another's configuration scan.
    std::mutex populationMutex_;
};

}  // namespace Tav
