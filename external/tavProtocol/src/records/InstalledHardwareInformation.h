#pragma once

#include <array>
#include <cstddef>

// Which hardware a reader supports and which is installed (18 one-byte flags). Flags 0-9 say
// whether item i of kLabels is supported; flags 10-17 whether item i (of the first eight) is
// installed.
struct InstalledHardwareInformation {
    static constexpr std::size_t kSupportedCount = 10;
    static constexpr std::size_t kInstalledCount = 8;
    static constexpr std::size_t kFlagCount = kSupportedCount + kInstalledCount;
    static constexpr std::array<const char*, kSupportedCount> kLabels = {
        "SAM SE", "RF AMS", "RF 125", "RF Legic", "RF BLE", "NXP", "RF HID BLE", "Felica", "Beeper", "Nano"};

    bool Flags[kFlagCount]{};

    bool IsSupported(std::size_t item) const { return item < kSupportedCount && Flags[item]; }
    bool IsInstalled(std::size_t item) const { return item < kInstalledCount && Flags[kSupportedCount + item]; }
    bool operator==(const InstalledHardwareInformation&) const = default;
};
static_assert(sizeof(InstalledHardwareInformation) == 18);
