#include "files/HwgPropertyMapping.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "files/FailureSite.h"
#include "files/FileInputText.h"

namespace TavCommon {

namespace {

// How a property's text meets its field.
enum class Kind {
    Flag,          // "1" or "0"; prints "1" for any non-zero field
    InvertedFlag,  // as a flag, but the field holds the opposite
    Number,        // decimal, 0 to the row's width; the field's setter may narrow the range
    Character,     // decimal, 0 to 255, added through the row's setter
    Count,         // printed only: the count follows from the characters, so its text is ignored
};

using Getter = uint32_t (*)(const ReaderConfiguration&);
using Setter = void (*)(ReaderConfiguration&, uint32_t);

struct Row {
    std::string_view section;
    std::string_view name;
    std::string_view description;
    Kind kind;
    uint32_t width;  // the largest value of a number or character
    Getter get;
    Setter set;  // null for a count
};

constexpr uint32_t kByte = 0xFF;
constexpr uint32_t kWord = 0xFFFF;

// The getter and the setter of a field of ReaderConfiguration that has a setter of its own name.
#define TAV_HWG_FIELD(field)                                          \
    [](const ReaderConfiguration& c) -> uint32_t { return c.field; }, \
        [](ReaderConfiguration& c, uint32_t value) { c.Set##field(value); }

// The characters kept in arrays: read by index, added one after another.
template <std::size_t Index>
uint32_t LeadingCharacter(const ReaderConfiguration& c) {
    return c.GetLeadingCharacter(Index);
}
template <std::size_t Index>
uint32_t TrailingCharacter(const ReaderConfiguration& c) {
    return c.GetTrailingCharacter(Index);
}
template <std::size_t Index>
uint32_t CardGoneCharacter(const ReaderConfiguration& c) {
    return c.CardGoneCharacter[Index];
}
void AddLeadingCharacter(ReaderConfiguration& c, uint32_t value) { c.AddLeadingCharacter(static_cast<uint8_t>(value)); }
void AddTrailingCharacter(ReaderConfiguration& c, uint32_t value) {
    c.AddTrailingCharacter(static_cast<uint8_t>(value));
}
void AddCardGoneCharacter(ReaderConfiguration& c, uint32_t value) {
    c.AddCardGoneCharacter(static_cast<uint8_t>(value));
}

// clang-format off
const Row kRows[] = {
    {"AZERTYShiftLock", "AZERTYShiftlock", "0= off, 1 = on", Kind::Flag, 1, TAV_HWG_FIELD(AzertyKeyboardShift)},
    {"ExtendedPrecisionMath", "ExtendedPrecisionMath", "0= off, 1 = on", Kind::Flag, 1,
     TAV_HWG_FIELD(EnableFacExtendedPrecision)},

    {"tsIDBitCnts", "iLeadParityBitCnt", "Wiegand Leading Parity bit count to be stripped", Kind::Number, kByte,
     TAV_HWG_FIELD(TotalStripLeadingParityCount)},
    {"tsIDBitCnts", "iTrailParityBitCnt", "Wiegand Trailing Parity bit count to be stripped", Kind::Number, kByte,
     TAV_HWG_FIELD(TotalStripTrailingParityCount)},
    {"tsIDBitCnts", "iIDBitCnt", "if bStripFac, this determines bit count of ID and FAC", Kind::Number, kByte,
     TAV_HWG_FIELD(IdBitCount)},
    {"tsIDBitCnts", "iTotalBitCnt", "if bFrcBitCntEx, card read (including parity) must match this", Kind::Number,
     kByte, TAV_HWG_FIELD(ExpectedBitCount)},

    {"tsCfgFlags", "bFixLenDsp", "Send as fixed length with leading zeros as needed", Kind::Flag, 1,
     TAV_HWG_FIELD(UseFixedLengthForFacAndId)},
    {"tsCfgFlags", "bFrcBitCntEx", "Force Rx'd bit count to be exact to be valid", Kind::Flag, 1,
     TAV_HWG_FIELD(EnforceExpectedBitCount)},
    {"tsCfgFlags", "bStripFac", "Strip the FAC from the ID (not discarded)", Kind::Flag, 1,
     TAV_HWG_FIELD(StripFacFromId)},
    {"tsCfgFlags", "bSndFac", "Send the FAC (if stripped from data)", Kind::Flag, 1,
     TAV_HWG_FIELD(SendFacAfterStripping)},
    {"tsCfgFlags", "bUseDelFac2Id", "Put a delimiter between FAC and ID on send", Kind::Flag, 1,
     TAV_HWG_FIELD(UseIdAndFacDelimiter)},
    {"tsCfgFlags", "bNoUseELChar", "Don't use a EndLine char on send (default to ENTER)", Kind::Flag, 1,
     TAV_HWG_FIELD(DisableKeystrokeTerminationCharacter)},
    {"tsCfgFlags", "bSndOnRx", "Send valid ID as soon as it is received (iIDLockOutTm timer not used)", Kind::Flag, 1,
     TAV_HWG_FIELD(EnableContinuousRead)},
    {"tsCfgFlags", "bHaltKBSnd", "Don't Send keys to USB (Get ID mechanism)", Kind::Flag, 1,
     TAV_HWG_FIELD(DisableKeystroking)},

    {"tsIDDispParms", "iFACIDDelim", "if bStripFac & bSndFac & bUseDelFac2Id, this char sent between FAC & ID",
     Kind::Number, kByte, TAV_HWG_FIELD(IdAndFacDelimiter)},
    {"tsIDDispParms", "iELDelim", "if NOT bNoUseELChar, this char sent at end of ID", Kind::Number, kByte,
     TAV_HWG_FIELD(TerminationCharacter)},
    {"tsIDDispParms", "iIDDispLen", "if bFixLenDsp, ID padded with zeros to this length", Kind::Number, kByte,
     TAV_HWG_FIELD(IdDigitCount)},
    {"tsIDDispParms", "iFACDispLen", "if bFixLenDsp, FAC padded with zeros to this length", Kind::Number, kByte,
     TAV_HWG_FIELD(FacDigitCount)},
    {"tsIDDispParms", "iExOutputFormat", "0 = Data Format Mode, 1 = Extended Mode", Kind::Flag, 1,
     TAV_HWG_FIELD(EnableExtendedMode)},

    {"tsTimeParms", "iBitStrmTO", "Wiegand read times out after this msec time (4msec gran.)", Kind::Number, kWord,
     TAV_HWG_FIELD(LegacyBitStreamTimeOutMs)},
    {"tsTimeParms", "iIDHoldTO", "Card ID remains valid for this msec time (50msec gran.)", Kind::Number, kWord,
     TAV_HWG_FIELD(DataHoldTimeMs)},
    {"tsTimeParms", "iIDLockOutTm", "Squelch repetitive reader reports (usually > 1000) in msec (50msec gran.)",
     Kind::Number, kWord, TAV_HWG_FIELD(LockOutTimeMs)},
    {"tsTimeParms", "iUSBKeyPrsTm", "Sets USB inter-key 'Press' time in msecs (4msec gran.)", Kind::Number, kWord,
     TAV_HWG_FIELD(KeyPressTimeMs)},
    {"tsTimeParms", "iUSBKeyRlsTm", "Sets USB inter-key 'Release' time in msecs (4msec gran.)", Kind::Number, kWord,
     TAV_HWG_FIELD(KeyReleaseTimeMs)},

    {"tsCfgFlags2", "bUseLeadChrs", "Use leading chars in ID KB send", Kind::Flag, 1,
     TAV_HWG_FIELD(UseLeadingCharacters)},
    {"tsCfgFlags2", "bDspHex", "Display ID as ASCII Hex [not ASCII decimal]", Kind::Flag, 1,
     TAV_HWG_FIELD(UseHexadecimalForBothFacAndId)},
    {"tsCfgFlags2", "bWiegInvData", "Wiegand data on pins is inverted", Kind::Flag, 1,
     TAV_HWG_FIELD(InvertWiegandBits)},
    {"tsCfgFlags2", "bUseInvDataF", "use the bWiegInvData flag over hardware setting", Kind::Flag, 1,
     TAV_HWG_FIELD(UseDataInvert)},
    {"tsCfgFlags2", "bRevWiegBits", "Reverse the Wiegand Rx bits", Kind::Flag, 1, TAV_HWG_FIELD(ReverseWiegandBits)},
    {"tsCfgFlags2", "bBeepID", "Beep when ID received", Kind::Flag, 1, TAV_HWG_FIELD(EnableBeepOnCardRead)},
    {"tsCfgFlags2", "bRevBytes", "Reverse byte order (CSN reader)", Kind::Flag, 1, TAV_HWG_FIELD(ReverseWiegandBytes)},

    {"tsCfgFlags3", "bUseNumKP", "Euro KB flag", Kind::Flag, 1, TAV_HWG_FIELD(UseNumericKeypad)},
    {"tsCfgFlags3", "bSndSFON", "Split format ON = 1, old combined scheme = 0", Kind::Flag, 1,
     TAV_HWG_FIELD(UseIndividualIdAndFacNumberFormats)},
    {"tsCfgFlags3", "bSndSFFC", "0 = FAC Decimal, 1 = FAC Hex", Kind::Flag, 1, TAV_HWG_FIELD(EnableHexadecimalFac)},
    {"tsCfgFlags3", "bSndSFID", "0 = ID Decimal, 1 = ID Hex", Kind::Flag, 1, TAV_HWG_FIELD(EnableHexadecimalId)},
    {"tsCfgFlags3", "bPrxProEm", "Use ProxPro emulation", Kind::Flag, 1, TAV_HWG_FIELD(EnableProxProEmulation)},
    {"tsCfgFlags3", "bUse64Bit", "0 = 32-bit, 1 = 64-bit Display Math", Kind::Flag, 1,
     TAV_HWG_FIELD(EnableIdExtendedPrecision)},
    {"tsCfgFlags3", "bNotBootDev", "USB Enum: 0=BootDevice, 1=NOTBootDevice", Kind::InvertedFlag, 1,
     TAV_HWG_FIELD(UxLed)},
    {"tsCfgFlags3", "bLowerCaseHex", "0= Upper case , 1= Lower case", Kind::Flag, 1, TAV_HWG_FIELD(UseLowercaseHex)},

    {"tsIDDispParms2", "iLeadChrCnt", "if bUseLeadChrs, this contains the lead char count (<=3)", Kind::Count, kByte,
     [](const ReaderConfiguration& c) -> uint32_t { return c.LeadingCharacterCount; }, nullptr},
    {"tsIDDispParms2", "iLeadChr0", "these lead characters are filled in (up to 3)", Kind::Character, kByte,
     LeadingCharacter<0>, AddLeadingCharacter},
    {"tsIDDispParms2", "iLeadChr1", "", Kind::Character, kByte, LeadingCharacter<1>, AddLeadingCharacter},
    {"tsIDDispParms2", "iLeadChr2", "", Kind::Character, kByte, LeadingCharacter<2>, AddLeadingCharacter},
    {"tsIDDispParms2", "iCrdGnChr0", "if non-zero, sent when ID goes Invalid", Kind::Character, kByte,
     CardGoneCharacter<0>, AddCardGoneCharacter},
    {"tsIDDispParms2", "iCrdGnChr1", "if this and Chr0 non-zero, sent when ID goes Invalid", Kind::Character, kByte,
     CardGoneCharacter<1>, AddCardGoneCharacter},

    {"tsIDDispParms3", "iTrailChrCnt", "this contains the trail char count (<=3)", Kind::Count, kByte,
     [](const ReaderConfiguration& c) -> uint32_t { return c.TrailingCharacterCount; }, nullptr},
    {"tsIDDispParms3", "iTrailChr0", "these trail characters are filled in (up to 3)", Kind::Character, kByte,
     TrailingCharacter<0>, AddTrailingCharacter},
    {"tsIDDispParms3", "iTrailChr1", "NOTE: LeadChrCnt + TrailCheCnt <= 3", Kind::Character, kByte,
     TrailingCharacter<1>, AddTrailingCharacter},
    {"tsIDDispParms3", "iTrailChr2", "LeadChrs have priority", Kind::Character, kByte, TrailingCharacter<2>,
     AddTrailingCharacter},

    {"tsLEDCtrl", "bAppCtrlsLED", "Display LEDs are controlled by user thru this DLL", Kind::Flag, 1,
     TAV_HWG_FIELD(EnabledSoftwareControlledLed)},
    {"tsLEDCtrl", "iRedLEDState", "0 == Off, 1 == On", Kind::Flag, 1, TAV_HWG_FIELD(EnableRedLed)},
    {"tsLEDCtrl", "iGrnLEDState", "0 == Off, 1 == On", Kind::Flag, 1, TAV_HWG_FIELD(EnableGreenLed)},

    {"tsBprRlyCtrl", "iBeeperState", "0 == Off, 1 == On", Kind::Flag, 1, TAV_HWG_FIELD(EnableOemBeeper)},
    {"tsBprRlyCtrl", "iRelayState", "0 == Off, 1 == On", Kind::Flag, 1, TAV_HWG_FIELD(EnableOemRelay)},

    {"", "CardType", "Card type code", Kind::Number, kWord, TAV_HWG_FIELD(CardType)},
    {"", "CardPriority", "0=Low, 1=High Priority", Kind::Flag, 1, TAV_HWG_FIELD(HighPriorityCardType)},
};
// clang-format on

#undef TAV_HWG_FIELD

HwgPropertyEntry MakeEntry(const Row& row) {
    HwgPropertyEntry entry;
    entry.name = row.name;
    entry.description = row.description;
    const Kind kind = row.kind;
    const Getter get = row.get;
    const Setter set = row.set;
    const uint32_t width = row.width;
    const std::string name(row.name);
    switch (kind) {
    case Kind::Flag:
    case Kind::InvertedFlag:
        entry.setter = [kind, set](ReaderConfiguration& c, const std::string& value) {
            const bool flag = TavFiles::ParseFileBool(value);
            set(c, flag != (kind == Kind::InvertedFlag) ? 1 : 0);
        };
        entry.getter = [kind, get](const ReaderConfiguration& c) {
            return (get(c) != 0) != (kind == Kind::InvertedFlag) ? std::string("1") : std::string("0");
        };
        break;
    case Kind::Number:
    case Kind::Character:
        // A lambda's own name says nothing: a refused value names the function that made it.
        entry.setter = [set, width, name, site = TAV_FAILURE_SITE](ReaderConfiguration& c, const std::string& value) {
            set(c, TavFiles::ParseFieldNumber(value, 10, width, name, site));
        };
        entry.getter = [get](const ReaderConfiguration& c) { return std::to_string(get(c)); };
        break;
    case Kind::Count:
        entry.setter = [](ReaderConfiguration&, const std::string&) {};
        entry.getter = [get](const ReaderConfiguration& c) { return std::to_string(get(c)); };
        break;
    }
    return entry;
}

}  // namespace

std::vector<HwgPropertySection> HwgPropertyMapping::createPropertyMappings() {
    std::vector<HwgPropertySection> sections;
    for (const Row& row : kRows) {
        if (sections.empty() || sections.back().name != row.section) {
            sections.push_back({std::string(row.section), {}});
        }
        sections.back().properties.push_back(MakeEntry(row));
    }
    return sections;
}

const std::vector<HwgPropertySection>& HwgPropertyMapping::Mappings() {
    static const std::vector<HwgPropertySection> mappings = createPropertyMappings();
    return mappings;
}

}  // namespace TavCommon
