#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/CardType.h"

namespace TavCommon {

// The catalogue of the 122 card types the library knows. It is built on first use (concurrent first
// calls build it once) and read-only afterwards, so lookups from any thread need no lock.
class CardTypeRegistry {
public:
    static std::size_t Count();
    // Case-insensitive lookups; absence is an empty result, never an exception.
    static std::optional<CardType> FindByName(const std::string& name);
    static std::optional<CardType> FindByDescription(const std::string& description);
    // Every entry whose code matches outside bits 4 to 7, in catalogue order.
    static std::vector<CardType> FindByCode(uint16_t code);
    // Every entry with exactly this code, in catalogue order.
    static std::vector<CardType> FindByExactCode(uint16_t code);
    static std::vector<CardType> GetAll();
    static std::string ToLower(const std::string& text);

private:
    class Catalogue;
    static const Catalogue& Instance();
};

uint32_t GetCardTypeCatalogueVersion();
std::string GetCardTypeCatalogueVersionString();

}  // namespace TavCommon
