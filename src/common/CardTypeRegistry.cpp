#include "common/CardTypeRegistry.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_map>

#include "common/FixedText.h"
#include "common/StringUtils.h"

namespace TavCommon {

namespace {

// A variant differs from its family's code only in bits 4 to 7.
constexpr uint16_t kFamilyMask = 0xFF0F;

struct CatalogueRow {
    uint16_t code;
    std::string_view name;
    std::string_view description;
    uint8_t flags = 2;
    uint8_t flags2 = 3;
};

// Insertion order is catalogue order.
constexpr std::array<CatalogueRow, 122> kRows{{
    {0x0000, "OFF", "--- OFF ---", 0, 0},
    {0x0206, "ALLEGION_HCE", "Allegion HCE", 1, 2},
    {0x6F06, "READ_ALL_HF", "AutoDetect HF Non-Secure Credentials", 2, 2},
    {0x6F05, "READ_ALL_LF_HF", "AutoDetect HF/LF Non-Secure Credentials", 2, 4},
    {0xDE01, "READ_ALL_LF", "AutoDetect LF Non-Secure Credentials"},
    {0xFA02, "AWID", "Awid : Compatible with Elvarin Aster"},
    {0x8201, "BLE_BEACON", "BLE Beacon", 3, 1},
    {0xF602, "CARDAX", "Cardax UID : Compatible with Elvarin Aster"},
    {0xFC02, "CASI_RUSCO", "CASI-RUSCO (GE Security, UTC) : Compatible with Elvarin Aster"},
    {0xE912, "CDVI", "CDVI"},
    {0x7A01, "CEPAS", "CEPAS", 2, 2},
    {0xDF01, "COTAG", "Cotag"},
    {0xF401, "DEISTER_UID", "Deister UID"},
    {0x7F01, "DESFIRE", "MIFARE DESFire CSN", 2, 2},
    {0xFB11, "DIGITAG", "DIGITAG"},
    {0xF101, "DIMPNA_UID", "Dimpna UID"},
    {0x030D, "ECP2_0", "ECP 2.0", 1, 2},
    {0xFB01, "EM", "EM 410x : Compatible with Elvarin Aster"},
    {0xFB02, "EM_ALT", "EM 410x Alternate"},
    {0xFB03, "EM_CHECKSUM", "EM 410x with Checksum"},
    {0x7E31, "ETAG", "eTag CSN", 2, 2},
    {0xEA22, "FARPOINTE_PSC1", "Farpointe Data (Pyramid) PSC-1 26 Bit : Compatible with Elvarin Aster"},
    {0xEA21, "FARPOINTE_UID", "Farpointe Data (Pyramid) UID"},
    {0x7C02, "FELICA", "FeliCa", 1, 2},
    {0x0702, "FELICA_DATA_LITE", "FeliCa Data Lite", 2, 2},
    {0x0701, "FELICA_DATA_STD", "FeliCa Data Standard", 2, 2},
    {0x7701, "FICAM", "FICAM", 2, 2},
    {0x6F00, "FIDO_ISO14443A", "FIDO2/U2F", 2, 2},
    {0xF504, "GPROXII_ID", "GProx-II ID"},
    {0xF502, "GPROXII_UID", "GProx-II UID : Compatible with Elvarin Aster"},
    {0xF503, "GPROXII_UID_ALT", "GProx-II UID Alternate"},
    {0x0105, "HID_CONFIG", "HID Configuration Card", 2, 2},
    {0x7D01, "HID_ICLASS_CSN", "HID iCLASS CSN", 2, 2},
    {0x0100, "HID_ICLASS_ID", "HID iCLASS ID", 1, 2},
    {0x8501, "HID_MOBILE_ACCESS", "HID Mobile Access", 3, 1},
    {0xEF04, "HID_PROX", "HID Prox : Compatible with Elvarin Aster"},
    {0xEF01, "HID_PROX_UID", "HID Prox UID"},
    {0xEF05, "HID_PROX_UID_ALT", "HID Prox UID Alternate"},
    {0x0101, "HID_SEOS", "HID Seos", 1, 2},
    {0xF302, "HITAG1S", "HiTag 1 & S : Compatible with Elvarin Aster"},
    {0xF304, "HITAG1S_ALT", "HiTag 1 & S Alternate"},
    {0xF201, "HITAG2", "HiTag 2 : Compatible with Elvarin Aster"},
    {0xF204, "HITAG2_ALT", "HiTag 2 Alternate"},
    {0xF205, "HITAG2_ATS8600", "HiTag 2 ATS8600"},
    {0xF206, "HITAG2_DOWNLOADER", "HiTag 2 Downloader"},
    {0x7E01, "ICODE", "I-CODE CSN", 2, 2},
    {0x7F11, "ITAG", "I-tag CSN", 2, 2},
    {0xE401, "IDTECK", "ID Teck : Compatible with Elvarin Aster"},
    {0xE402, "IDTECK_ALT", "ID Teck Alternate"},
    {0xE403, "IDTECK_LEGACY_PLUS", "ID Teck Legacy Plus"},
    {0xFD02, "INDALA_ASP", "Indala ASP 26 bit (Motorola) : Compatible with Elvarin Aster"},
    {0xFD04, "INDALA_ASP_CUSTOM", "Indala ASP Custom : Please contact Elvarin sales"},
    {0xFD01, "INDALA_ASP_UID", "Indala ASP UID"},
    {0xED05, "INDALA_ASP_PLUS_CUSTOM", "Indala ASP+ Custom : Please contact Elvarin sales"},
    {0xED02, "INDALA_ASP_PLUS_UID", "Indala ASP+ UID"},
    {0xFD05, "INDALA_ECR", "Indala ECR Custom : Please contact Elvarin sales"},
    {0xF903, "IOPROX_ALT", "ioProx (Kantech) : Alternate"},
    {0xF902, "IOPROX", "ioProx (Kantech) : Compatible with Elvarin Aster"},
    {0x7F21, "ISO14443A", "ISO 14443A CSN", 2, 2},
    {0x7B01, "ISO14443B", "ISO 14443B CSN", 2, 2},
    {0x7B02, "ISO14443B_SRX_CSN", "ISO 14443B SRx CSN", 2, 2},
    {0x7E21, "ISO15693", "ISO 15693  CSN", 2, 2},
    {0xFA03, "ISONAS", "Isonas"},
    {0xEA01, "KERI_NXT_UID", "Keri NXT UID"},
    {0xEA02, "KERI_PSC1", "Keri PSC-1 26 Bit"},
    {0xF802, "KERI_UID", "Keri UID : Compatible with Elvarin Aster"},
    {0xF801, "KERI_UID_ALT", "Keri UID Alternate"},
    {0x7F31, "ADVANT", "LEGIC advant CSN", 2, 2},
    {0x0801, "LEGIC_NEON", "LEGIC Neon", 1, 2},
    {0x0802, "LEGIC_NEON_BLE", "LEGIC Neon BLE", 3, 1},
    {0x6F04, "LEGIC_NONCONFIG", "LEGIC Non-Configured", 2, 2},
    {0x7901, "LEGIC_STD_PRIME", "LEGIC Prime CSN", 2, 2},
    {0x7803, "LEGIC_STAMP", "LEGIC Stamp", 1, 2},
    {0x030E, "MIFARE_2GO", "MIFARE 2GO", 1, 2},
    {0x7F09, "MIFARE_32_ATS8600", "MIFARE 32 Bit ATS8600", 2, 2},
    {0x7F06, "MIFARE_32_DOWNLOADER", "MIFARE 32 Bit Downloader", 2, 2},
    {0x7F0A, "MIFARE_48_ATS8600", "MIFARE 48 Bit ATS8600", 2, 2},
    {0x7F07, "MIFARE_48_DOWNLOADER", "MIFARE 48 Bit Downloader", 2, 2},
    {0x7F0B, "MIFARE_56_ATS8600", "MIFARE 56 Bit ATS8600", 2, 2},
    {0x7F08, "MIFARE_56_DOWNLOADER", "MIFARE 56 Bit Downloader", 2, 2},
    {0x0301, "MIFARE_CLASSIC_FILE", "MIFARE Classic File", 1, 2},
    {0x030B, "MIFARE_CLASSIC_1K", "MIFARE Classic Transact 1K5", 2, 2},
    {0x030C, "MIFARE_CLASSIC_4K", "MIFARE Classic Transact 4K", 2, 2},
    {0x0205, "MIFARE_CONFIG", "MIFARE Configuration Card", 2, 2},
    {0x7F41, "MIFARE_CSN", "MIFARE CSN (Philips, NXP)", 2, 2},
    {0x0202, "MIFARE_EV1_CSN_SECURE_NES", "MIFARE DESFire CSN + Secure File", 2, 2},
    {0x0201, "MIFARE_DESFIRE_FILE", "MIFARE DESFire File", 1, 2},
    {0x0203, "MIFARE_EV1_SECURE_FILE", "MIFARE DESFire EV1 Secure File", 2, 2},
    {0x0601, "MIFARE_PLUS_FILE", "MIFARE Plus File", 1, 2},
    {0x030A, "TRANSACT", "Transact MIFARE", 2, 2},
    {0x7F51, "MIFARE_ULTRALIGHT_CSN", "MIFARE Ultralight CSN", 2, 2},
    {0x0501, "MIFARE_ULTRALIGHT_FILE", "MIFARE Ultralight File", 1, 2},
    {0x8101, "MOBILE_CREDENTIAL", "Mobile Credential", 3, 1},
    {0x7E11, "MYD_CSN", "my-d CSN", 2, 2},
    {0xE301, "NEDAP", "Nedap"},
    {0xF722, "NEXKEY", "NexKey, Quadrakey, KeyMate, 2Smart Key (Honeywell)"},
    {0xF712, "NEXWATCH", "Nexwatch (Honeywell) : Compatible with Elvarin Aster"},
    {0x8001, "ORANGE_PACKID", "Orange PackID", 3, 1},
    {0xE902, "PARADOX", "Paradox"},
    {0x7703, "PIV_UCHI_IMP", "PIV UCHI Imp", 2, 2},
    {0x7702, "PIV_UCHI", "PIV UCHI", 2, 2},
    {0xE922, "POSTECH", "Postech"},
    {0x8601, "PSIA_PKOC", "PSIA PKOC", 3, 1},
    {0xEA12, "PYRAMID_PSC1", "Pyramid PSC-1 26 Bit"},
    {0xEA11, "PYRAMID_UID", "Pyramid UID"},
    {0xEB02, "RADIOKEY", "Radio Key (Secura Key -02) RKCx-02 : Compatible with Elvarin Aster"},
    {0x6F01, "ASTER", "Elvarin Aster", 2, 2},
    {0x6F02, "ASTER_EXPANDED_CSN", "Elvarin Aster Expanded CSN", 2, 2},
    {0x6F03, "ASTER_LEGIC", "Elvarin Aster LEGIC", 2, 2},
    {0xF004, "READYKEY_UID", "ReadyKey Pro UID : Compatible with Elvarin Aster"},
    {0xFB21, "ROSSLARE", "Rosslare"},
    {0xF612, "RUSSWIN_UID", "Russwin UID"},
    {0x8401, "SAFETRUST", "Safetrust", 3, 1},
    {0x8301, "SCAN_BLE", "Scan BLE", 3, 1},
    {0xEC01, "SECURAKEY01", "Secura Key -01"},
    {0x7E41, "TAGIT_CSN", "Tag-it CSN", 2, 2},
    {0x7801, "TCOS", "TCOS", 2, 2},
    {0x7F02, "TOPAZ_CSN", "Topaz CSN", 2, 2},
    {0xFC03, "URMET", "Urmet"},
    {0x8701, "WAVELYNX_MYPASS_BLE", "Wavelynx MyPass ID (BLE)", 3, 1},
    {0x0309, "WAVELYNX_NFC_WALLET", "Wavelynx NFC Wallet", 1, 2},
    {0x030F, "WAVELYNX_NFC_WALLET_PLUS_LEAF", "Wavelynx NFC Wallet + LEAF", 2, 2},
}};
static_assert(std::all_of(kRows.begin(), kRows.end(),
                          [](const CatalogueRow& row) { return !row.name.empty() && !row.description.empty(); }),
              "every row of the catalogue is filled in");

}  // namespace

// The entries in their flat record form, and the four indexes over them.
class CardTypeRegistry::Catalogue {
public:
    Catalogue() {
        entries_.reserve(kRows.size());
        for (const CatalogueRow& row : kRows) {
            Add(row);
        }
    }

    const std::vector<TavCardType>& Entries() const { return entries_; }

    std::optional<CardType> Find(const std::unordered_map<std::string, std::size_t>& index,
                                 const std::string& key) const {
        const auto found = index.find(ToLower(key));
        if (found == index.end()) {
            return std::nullopt;
        }
        return CardType(entries_[found->second]);
    }

    const std::unordered_map<std::string, std::size_t>& NameIndex() const { return nameIndex_; }
    const std::unordered_map<std::string, std::size_t>& DescriptionIndex() const { return descriptionIndex_; }

    std::vector<CardType> WithExactCode(uint16_t code) const {
        std::vector<CardType> found;
        if (const auto list = codeListIndex_.find(code); list != codeListIndex_.end()) {
            for (const std::size_t index : list->second) {
                found.emplace_back(entries_[index]);
            }
        }
        return found;
    }

private:
    void Add(const CatalogueRow& row) {
        TavCardType record{};
        record.code = row.code;
        CopyToFixedField(record.description, row.description);
        CopyToFixedField(record.name, row.name);
        record.flags = row.flags;
        record.flags2 = row.flags2;
        const std::size_t index = entries_.size();
        entries_.push_back(record);
        // The first entry under a key keeps it.
        codeListIndex_[row.code].push_back(index);
        descriptionIndex_.emplace(ToLower(std::string(row.description)), index);
        nameIndex_.emplace(ToLower(std::string(row.name)), index);
    }

    std::vector<TavCardType> entries_;
    std::unordered_map<uint16_t, std::vector<std::size_t>> codeListIndex_;
    std::unordered_map<std::string, std::size_t> descriptionIndex_;
    std::unordered_map<std::string, std::size_t> nameIndex_;
};

const CardTypeRegistry::Catalogue& CardTypeRegistry::Instance() {
    static const Catalogue catalogue;
    return catalogue;
}

std::size_t CardTypeRegistry::Count() { return Instance().Entries().size(); }

std::optional<CardType> CardTypeRegistry::FindByName(const std::string& name) {
    const Catalogue& catalogue = Instance();
    return catalogue.Find(catalogue.NameIndex(), name);
}

std::optional<CardType> CardTypeRegistry::FindByDescription(const std::string& description) {
    const Catalogue& catalogue = Instance();
    return catalogue.Find(catalogue.DescriptionIndex(), description);
}

std::vector<CardType> CardTypeRegistry::FindByCode(uint16_t code) {
    std::vector<CardType> found;
    for (const TavCardType& entry : Instance().Entries()) {
        if ((entry.code & kFamilyMask) == (code & kFamilyMask)) {
            found.emplace_back(entry);
        }
    }
    return found;
}

std::vector<CardType> CardTypeRegistry::FindByExactCode(uint16_t code) { return Instance().WithExactCode(code); }

std::vector<CardType> CardTypeRegistry::GetAll() {
    const auto& entries = Instance().Entries();
    return std::vector<CardType>(entries.begin(), entries.end());
}

std::string CardTypeRegistry::ToLower(const std::string& text) { return StringUtils::ToLower(text); }

uint32_t GetCardTypeCatalogueVersion() { return 0x0302; }

std::string GetCardTypeCatalogueVersionString() { return "02.03.00"; }

}  // namespace TavCommon
