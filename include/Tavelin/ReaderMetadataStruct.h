#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>

// What the library knows about one opened reader. Each value is followed by a one-byte flag:
// 1 when the value was read, 0 when it is not available. Texts are NUL-terminated in 512-byte
// fields. Firmware versions keep the layout of the reader's reply records: a 32-bit version
// (little-endian), the firmware class and the module type (6 bytes); the Bluetooth module's is
// three 32-bit numbers (major, minor, build), the class and the module type (14 bytes).
#pragma pack(push, 1)
struct ReaderMetadataStruct {
    char MicrocontrollerName[512];
    uint8_t MicrocontrollerNameAvailable;
    char ReservedText1[512];
    uint8_t ReservedText1Available;
    char DeviceIdText[512];
    uint8_t DeviceIdTextAvailable;
    char PartNumber[512];
    uint8_t PartNumberAvailable;
    char ReservedText2[512];
    uint8_t ReservedText2Available;
    int32_t ConfigurationCount;
    uint8_t ConfigurationCountAvailable;
    char ReaderString2[512];
    uint8_t ReaderString2Available;
    char Esn[512];
    uint8_t EsnAvailable;
    char HardwareListText[512];
    uint8_t HardwareListTextAvailable;
    char HardwareSummaryText[512];
    uint8_t HardwareSummaryTextAvailable;
    // Bytes 0-9: which of the ten hardware items the reader supports; 10-17: which of the first
    // eight is installed.
    uint8_t InstalledHardware[18];
    uint8_t InstalledHardwareAvailable;
    char ModelText[512];
    uint8_t ModelTextAvailable;
    char FirmwareVersionText[512];
    uint8_t FirmwareVersionTextAvailable;
    uint8_t ControlFirmwareVersion0[6];
    uint8_t ControlFirmwareVersion0Available;
    uint8_t ControlFirmwareVersion1[6];
    uint8_t ControlFirmwareVersion1Available;
    uint8_t ControlFirmwareVersion2[6];
    uint8_t ControlFirmwareVersion2Available;
    uint8_t RadioFirmwareVersion0[6];
    uint8_t RadioFirmwareVersion0Available;
    uint8_t RadioFirmwareVersion1[6];
    uint8_t RadioFirmwareVersion1Available;
    uint8_t RadioFirmwareVersion2[6];
    uint8_t RadioFirmwareVersion2Available;
    uint8_t BluetoothFirmwareVersion[14];
    uint8_t BluetoothFirmwareVersionAvailable;
    uint8_t HidSeSamFirmwareVersion[6];
    uint8_t HidSeSamFirmwareVersionAvailable;
    uint8_t NxpSamFirmwareVersion[6];
    uint8_t NxpSamFirmwareVersionAvailable;
    uint8_t FelicaSamFirmwareVersion[6];
    uint8_t FelicaSamFirmwareVersionAvailable;
    uint8_t ProtocolType;  // TavCommon::ProtocolType
    // The capability flags of configuration block 2, the same in every configuration.
    uint8_t SupportsExtendedMode;
    uint8_t TransparentModeFlag;
    uint8_t SupportsReverseAllBytes;
    uint8_t SupportsAsciiExtended;
    uint8_t VastrelMode;
};
#pragma pack(pop)

// Handed to hosts whole: the layout is part of the interface.
static_assert(offsetof(ReaderMetadataStruct, MicrocontrollerNameAvailable) == 512);
static_assert(offsetof(ReaderMetadataStruct, ReservedText1) == 513);
static_assert(offsetof(ReaderMetadataStruct, DeviceIdText) == 1026);
static_assert(offsetof(ReaderMetadataStruct, PartNumber) == 1539);
static_assert(offsetof(ReaderMetadataStruct, ReservedText2) == 2052);
static_assert(offsetof(ReaderMetadataStruct, ConfigurationCount) == 2565);
static_assert(offsetof(ReaderMetadataStruct, ConfigurationCountAvailable) == 2569);
static_assert(offsetof(ReaderMetadataStruct, ReaderString2) == 2570);
static_assert(offsetof(ReaderMetadataStruct, Esn) == 3083);
static_assert(offsetof(ReaderMetadataStruct, HardwareListText) == 3596);
static_assert(offsetof(ReaderMetadataStruct, HardwareSummaryText) == 4109);
static_assert(offsetof(ReaderMetadataStruct, InstalledHardware) == 4622);
static_assert(offsetof(ReaderMetadataStruct, InstalledHardwareAvailable) == 4640);
static_assert(offsetof(ReaderMetadataStruct, ModelText) == 4641);
static_assert(offsetof(ReaderMetadataStruct, FirmwareVersionText) == 5154);
static_assert(offsetof(ReaderMetadataStruct, ControlFirmwareVersion0) == 5667);
static_assert(offsetof(ReaderMetadataStruct, ControlFirmwareVersion1) == 5674);
static_assert(offsetof(ReaderMetadataStruct, ControlFirmwareVersion2) == 5681);
static_assert(offsetof(ReaderMetadataStruct, RadioFirmwareVersion0) == 5688);
static_assert(offsetof(ReaderMetadataStruct, RadioFirmwareVersion1) == 5695);
static_assert(offsetof(ReaderMetadataStruct, RadioFirmwareVersion2) == 5702);
static_assert(offsetof(ReaderMetadataStruct, BluetoothFirmwareVersion) == 5709);
static_assert(offsetof(ReaderMetadataStruct, BluetoothFirmwareVersionAvailable) == 5723);
static_assert(offsetof(ReaderMetadataStruct, HidSeSamFirmwareVersion) == 5724);
static_assert(offsetof(ReaderMetadataStruct, NxpSamFirmwareVersion) == 5731);
static_assert(offsetof(ReaderMetadataStruct, FelicaSamFirmwareVersion) == 5738);
static_assert(offsetof(ReaderMetadataStruct, FelicaSamFirmwareVersionAvailable) == 5744);
static_assert(offsetof(ReaderMetadataStruct, ProtocolType) == 5745);
static_assert(offsetof(ReaderMetadataStruct, SupportsExtendedMode) == 5746);
static_assert(offsetof(ReaderMetadataStruct, TransparentModeFlag) == 5747);
static_assert(offsetof(ReaderMetadataStruct, SupportsReverseAllBytes) == 5748);
static_assert(offsetof(ReaderMetadataStruct, SupportsAsciiExtended) == 5749);
static_assert(offsetof(ReaderMetadataStruct, VastrelMode) == 5750);
static_assert(sizeof(ReaderMetadataStruct) == 5751);
static_assert(alignof(ReaderMetadataStruct) == 1);
