#include "transport/HidapiLock.h"

namespace TavTransport {

namespace {

std::mutex& HidapiMutex() {
    // Never destroyed: a reader may still be opening while the process exits.
    static std::mutex* const mutex = new std::mutex();
    return *mutex;
}

}  // namespace

HidapiLock::HidapiLock() : guard_(HidapiMutex()) {}

}  // namespace TavTransport
