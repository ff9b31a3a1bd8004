#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "sim/PhraseExchange.h"

namespace TavSim {

// Generic blobs and the BLE data share one session protocol: 89 10 reads, 89 90 writes. A
// session opens with a descriptor phrase (byte 3 is 0); every later phrase of the session goes
// to the family whose descriptor opened it. Generic blobs answer every descriptor that no other
// family claims.
struct BlobSessionFamily {
    // True for the descriptors (read or write, byte 1 tells) that the family serves.
    std::function<bool(std::span<const uint8_t> descriptor)> claims;
    // Every phrase of a session the family claimed, the descriptor included.
    PhraseHandler handler;
};

// Families other than generic blobs register here while the program starts, each from its own
// file: const TavSim::BlobSessionRegistrar registrar({claims, handler});
std::vector<BlobSessionFamily>& BlobSessionFamilies();

struct BlobSessionRegistrar {
    explicit BlobSessionRegistrar(BlobSessionFamily family) { BlobSessionFamilies().push_back(std::move(family)); }
};

}  // namespace TavSim
