#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace TavSim {

// What a reader holds, independent of the wire protocol that reaches it. Front ends and command
// handlers read and change it under the SimulatedReader's lock; tests set it up and inspect it
// through SimulatedReader::Model().
//
// Each command family keeps its state in its own group below. Add a member to the group of the
// family you build (or a new group); never reuse a member for another meaning.

using Block = std::array<uint8_t, 8>;

// One of the reader's configurations: five 8-byte blocks and the 128-byte extended configuration.
struct StoredConfiguration {
    std::array<Block, 5> blocks{};
    std::array<uint8_t, 128> extended{};
};

struct FirmwareVersion {
    uint8_t firmwareClass = 0;
    std::array<uint8_t, 4> version{};  // as the reply carries it
};

struct BluetoothFirmware {
    uint8_t firmwareClass = 0;
    uint8_t major = 0;
    uint8_t minor = 0;
    uint16_t build = 0;
};

struct PresentedCard {
    uint16_t cardType = 0;
    uint16_t bitCount = 0;
    std::vector<uint8_t> data;  // ceil(bitCount / 8) bytes, first received first
};

// The phases of a BLE blob session, each with its own script of return codes.
enum class BlePhase { ReadSetup, ReadPoll, ReadData, WriteConfiguration, WriteData, StartStore, StorePoll };

// One bootloader reply: return code, delay class and the delay for class 'W'.
struct BootloaderReply {
    uint8_t returnCode = '.';
    uint8_t delayClass = '>';
    uint16_t delayMilliseconds = 0;
};

struct MifareApplication {
    uint32_t aid = 0;
    uint8_t byte4 = 0;
    uint8_t cardKeyNo = 0;
    uint8_t operationType = 0;
    uint8_t keyType = 0;
    bool operator==(const MifareApplication&) const = default;
};

struct DeviceModel {
    // Link: false once the device has disappeared; every exchange then fails.
    bool connected = true;

    // Configurations (the block and extended-configuration commands act on the active one).
    std::array<StoredConfiguration, 4> configurations{};
    uint8_t activeConfiguration = 0;
    uint8_t configurationCount = 4;
    uint32_t configurationWrites = 0;  // commits to non-volatile memory
    uint32_t storedDefaultsLoads = 0;
    // The active-configuration answer beyond the index and the count, sent as the reader holds them.
    uint16_t activeConfigurationWord = 0;
    uint8_t activeConfigurationLastByte = 0;
    std::vector<std::array<uint8_t, 4>> configurationCopies;  // source, destination, two more bytes
    // The hashes that guard an extended-configuration write, as last written.
    std::array<uint8_t, 16> extendedHash1{};
    std::array<uint8_t, 16> extendedHash2{};

    // Identity and versions.
    std::array<uint8_t, 32> esn{'E', 'S', 'N', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '0', '1'};
    std::string partNumber = "TAV-SIM-0001";
    std::array<std::string, 8> strings{"Tavelin", "Simulated Reader", "SIM0001", "", "", "", "", ""};  // index 1-8
    std::map<uint8_t, FirmwareVersion> controlFirmware;                                                // by module type
    std::map<uint8_t, FirmwareVersion> radioFirmware;                                                  // by module type
    std::map<uint8_t, FirmwareVersion> samFirmware;  // by SAM selector
    BluetoothFirmware bluetoothFirmware;
    uint32_t hardwareSupported = 0;  // bit i: supported flag i (0-9)
    uint32_t hardwareInstalled = 0;  // bit j: installed flag 10 + j (0-7)
    std::vector<uint16_t> supportedCardTypes{0x0001, 0x0002};
    uint32_t uptimeSeconds = 0;
    uint16_t luid = 0;
    uint8_t baudRateCode = 0;  // serial readers

    // Device control.
    uint8_t beeperVolume = 0;
    std::vector<uint8_t> beeps;               // the count byte of every beep asked for
    std::map<uint8_t, uint8_t> moduleStates;  // by module id
    bool transparentModeSupported = true;
    uint8_t transparentModeState = 0;
    uint8_t transparentModeStatus = 0;

    // Cards: the queue of presented cards, the front one is on the reader.
    std::deque<PresentedCard> presentedCards;
    // Serial binary: "no card" as the status word 6A 82 alone, not padded to the read's length.
    bool noCardAsBareStatusWord = false;
    uint16_t cardAnalyzerStatus = 0;
    uint8_t cardAnalyzerControl = 0;
    std::vector<PresentedCard> analyzerCards;  // what the card analyzer holds, card 0 first
    // The queued card id: 32 id bytes, four value bytes in wire order, one last byte.
    std::array<uint8_t, 32> queuedId{};
    std::array<uint8_t, 4> queuedIdValue{};
    uint8_t queuedIdLastByte = 0;
    uint8_t queuedIdFlags = 0;  // as the last queued-id read sent them

    // Blobs and BLE data, by blob type and BLE data type (1 data: 384 bytes in wire blocks 0-2;
    // 2 key: 128 bytes in wire block 0x10; 3 unencrypted key: 16 bytes in wire block 4).
    std::map<uint8_t, std::vector<uint8_t>> blobs;
    std::map<uint8_t, std::vector<uint8_t>> bleData;
    // BLE data sessions: the wire block set up for reading; the block being written, its length
    // and the pieces written so far.
    std::optional<uint8_t> bleReadBlock;
    std::optional<uint8_t> bleWriteBlock;
    uint8_t bleWriteLength = 0;
    std::vector<uint8_t> bleWriteData;
    // Return codes a BLE phase answers with, one per phrase, before it succeeds (none left: 0).
    // A phrase answered with a code other than 0 has no effect.
    std::map<BlePhase, std::deque<uint8_t>> bleReturnCodes;
    // BLE radio settings: bytes 0-2 are Flags, TapInRssi and TxPower.
    std::array<uint8_t, 8> bleConfiguration{};
    // The open blob sessions: the descriptor phrase that opened each, and the pieces written so far.
    std::array<uint8_t, 8> blobReadDescriptor{};
    std::array<uint8_t, 8> blobWriteDescriptor{};
    std::vector<uint8_t> blobWriteData;

    // Bootloader: entered by the bootloader-mode command; collects the firmware lines it is fed.
    // Every phrase arrives three times and is answered once, after the third copy.
    bool bootloaderMode = false;
    uint8_t bootloaderModule = 0;
    uint8_t bootloaderReadyByte = 0x3E;                        // the byte behind '.' in the bootloader's first answer
    std::vector<std::vector<uint8_t>> firmwareLines;           // each line: the data of its three phrases
    std::map<std::size_t, BootloaderReply> bootloaderReplies;  // by phrase number from 0; others '.' '>'
    bool bootloaderChecksRecords = false;      // answers '2' to a line whose bytes do not sum to 0 (mod 256)
    std::size_t bootloaderPhrases = 0;         // phrases taken (three copies each)
    std::size_t bootloaderCopyMismatches = 0;  // copies that differed from the first copy
    std::vector<uint8_t> bootloaderCopy;       // the phrase being received
    int bootloaderCopies = 0;
    std::vector<uint8_t> bootloaderLine;  // the line being assembled
    int bootloaderChunks = 0;

    // MIFARE writer: the status it reports (reply bytes 2-5), the error code its writing commands
    // answer with (0: success), and what it did.
    std::array<uint8_t, 4> mifareWriterStatus{};
    uint8_t mifareWriterErrorCode = 0;
    std::vector<MifareApplication> mifareApplications;
    std::vector<std::array<uint8_t, 4>> mifareKeyChanges;  // the key information bytes
    std::vector<std::array<uint8_t, 6>> mifareFiles;       // the file information bytes
    uint32_t mifareCardFormats = 0;

    // MFP24 readers: commands (their letters, "QSX07", "QCT", ...) answered with an error packet.
    std::set<std::string> mfp24ErrorPackets;

    const StoredConfiguration& ActiveConfiguration() const { return configurations.at(activeConfiguration); }
    StoredConfiguration& ActiveConfiguration() { return configurations.at(activeConfiguration); }
};

}  // namespace TavSim
