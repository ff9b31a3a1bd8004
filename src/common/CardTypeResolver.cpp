#include "common/CardTypeResolver.h"

#include <fmt/format.h>

#include <algorithm>

#include "Tavelin/ElvarinException.h"
#include "common/CardTypeRegistry.h"
#include "common/SourceLocation.h"

namespace TavCommon::CardTypeResolver {

namespace {

// Bits 4 to 7 zero: the code may name a family of variants.
bool IsFamilyCode(uint16_t code) { return (code & 0x00F0) == 0; }

}  // namespace

std::optional<CardType> ResolveConfiguredCardType(uint16_t code) {
    std::vector<CardType> exact = CardTypeRegistry::FindByExactCode(code);
    if (code != 0 && IsFamilyCode(code) && exact.empty()) {
        TAV_THROW(ElvarinException, fmt::format("Card type '0x{:X}' refers to multiple card types. Please reconfigure "
                                                "the reader with a valid, single card type.",
                                                code));
    }
    if (exact.empty()) {
        return std::nullopt;
    }
    return std::move(exact.front());
}

std::vector<CardType> ResolveSupportedCardType(uint16_t code) {
    std::vector<CardType> exact = CardTypeRegistry::FindByExactCode(code);
    if (code == 0 || IsFamilyCode(code)) {
        std::vector<CardType> family = CardTypeRegistry::FindByCode(code);
        const bool hasVariants =
            std::any_of(family.begin(), family.end(), [code](const CardType& type) { return type.GetCode() != code; });
        // A family code that is no entry of its own stands for its variants; one that is an entry
        // brings its variants along when it has any.
        if ((exact.empty() && code != 0 && !family.empty()) || hasVariants) {
            return family;
        }
    }
    if (exact.empty()) {
        TAV_THROW(ElvarinException,
                  fmt::format("Reader provided a card type '0x{:X}' that is not currently tracked. It "
                              "may not exist, or it may be very new.",
                              code));
    }
    return exact;
}

}  // namespace TavCommon::CardTypeResolver
