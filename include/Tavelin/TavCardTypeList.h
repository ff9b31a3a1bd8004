#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>

#include "Tavelin/TavCardType.h"

// The card types a reader supports, as TavReader_GetSupportedCardTypes hands them to hosts: the
// first Count slots are filled, the rest are zero. Layout fixed for hosts.
#pragma pack(push, 1)
struct TavCardTypeList {
    static constexpr std::size_t kMaxCardTypes = 256;

    uint32_t Count;
    TavCardType CardTypes[kMaxCardTypes];
};
#pragma pack(pop)

static_assert(offsetof(TavCardTypeList, CardTypes) == 4);
static_assert(sizeof(TavCardTypeList) == 50180);
