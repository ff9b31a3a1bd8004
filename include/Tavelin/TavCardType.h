#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>

// One card type as the exported functions hand it to hosts; layout fixed for hosts. Texts are
// NUL-terminated within their fields.
#pragma pack(push, 1)
struct TavCardType {
    uint16_t code;  // card-type code, host byte order
    char description[128];
    char name[64];
    uint8_t flags;   // first classification byte
    uint8_t flags2;  // second classification byte
};
#pragma pack(pop)

static_assert(offsetof(TavCardType, description) == 2);
static_assert(offsetof(TavCardType, name) == 130);
static_assert(offsetof(TavCardType, flags) == 194);
static_assert(offsetof(TavCardType, flags2) == 195);
static_assert(sizeof(TavCardType) == 196);
