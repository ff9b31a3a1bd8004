#include <fmt/format.h>
#include <fmt/ranges.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/BluetoothFirmwareVersion.h"
#include "common/FelicaSamFirmwareVersion.h"
#include "common/HidSeSamFirmwareVersion.h"
#include "common/MicrocontrollerFirmwareVersion.h"
#include "common/NxpSamFirmwareVersion.h"
#include "facade/ProtocolFacade.h"
#include "records/InstalledHardwareInformation.h"
#include "records/LuidResponseInformation.h"
#include "records/TransparentModeStatusInformation.h"
#include "sim/CommandTables.h"
#include "sim/Fault.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/FacadeOnSimulatedReader.h"
#include "support/Wire.h"

namespace {

using namespace TavProtocol;
using Bytes = std::vector<uint8_t>;
using TavTest::Phrase;
using TavTest::WireName;
using ::testing::IsEmpty;

constexpr uint8_t kFeatureReport = 1;
constexpr uint8_t kMfp24 = 2;
constexpr uint8_t kSerialBinary = 3;

// A reader with something in every identity field, each value telling where it came from.
class SimulatedIdentityReader : public TavTest::FacadeOnSimulatedReader {
public:
    explicit SimulatedIdentityReader(uint8_t protocol) : FacadeOnSimulatedReader(protocol) {
        auto model = Reader().Model();
        const std::string esn = "ESN-0123456789ABCDEFGHIJKLMNOPQR";
        std::copy(esn.begin(), esn.end(), model->esn.begin());
        model->partNumber = "TAV-PN-4711";
        model->strings[1] = "Simulated Reader";
        model->controlFirmware[7] = {0, {0x01, 0x02, 0x03, 0x04}};
        model->radioFirmware[7] = {1, {0x05, 0x06, 0x07, 0x08}};
        model->samFirmware[3] = {4, {0x09, 0x0A, 0x0B, 0x0C}};
        model->bluetoothFirmware = {2, 3, 4, 0x0506};
        model->hardwareSupported = 0b1000000101;
        model->hardwareInstalled = 0b10000010;
        model->uptimeSeconds = 0x01020304;
        model->luid = 0x1234;
        model->transparentModeState = 1;
        model->transparentModeStatus = 2;
    }
};

// A packed record as its bytes, in memory order.
template <typename Record>
std::string RecordBytes(const Record& record) {
    Bytes bytes(sizeof record);
    std::memcpy(bytes.data(), &record, sizeof record);
    return fmt::format("{:02X}", fmt::join(bytes, " "));
}

// What the renderings above give when the operation wrote nothing.
bool Untouched(const std::string& rendering) {
    if (rendering == std::string(63, 'x')) {
        return true;
    }
    for (std::size_t i = 0; i < rendering.size(); ++i) {
        if (rendering[i] != (i % 3 == 2 ? ' ' : '7')) {
            return false;
        }
    }
    return !rendering.empty();
}

// What one operation reports: the record, and its result rendered as text.
using Operation = std::function<ProtocolCommandResult(const ProtocolFacade&, std::string&)>;

Operation Text(std::function<ProtocolCommandResult(const ProtocolFacade&, char*, unsigned long)> operation) {
    return [operation](const ProtocolFacade& facade, std::string& out) {
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        buffer[sizeof buffer - 1] = '\0';
        const ProtocolCommandResult result = operation(facade, buffer, sizeof buffer - 1);
        out = buffer;
        return result;
    };
}

template <typename Record>
Operation RecordOf(std::function<ProtocolCommandResult(const ProtocolFacade&, Record&)> operation) {
    return [operation](const ProtocolFacade& facade, std::string& out) {
        Record record;
        std::memset(static_cast<void*>(&record), 0x77, sizeof record);
        const ProtocolCommandResult result = operation(facade, record);
        out = RecordBytes(record);
        return result;
    };
}

struct Row {
    const char* operation;
    uint8_t protocol;
    Operation run;
    std::vector<Bytes> phrases;  // MFP24: the letters each phrase starts with
    std::string result;
};

const FirmwareVersionModuleType kModule7 = static_cast<FirmwareVersionModuleType>(7);

std::vector<Row> IdentityRows() {
    const std::string esn = "ESN-0123456789ABCDEFGHIJKLMNOPQR";
    const Operation getEsn = Text([](const ProtocolFacade& f, char* b, unsigned long s) { return f.GetESN(b, s); });
    const Operation getPartNumber =
        Text([](const ProtocolFacade& f, char* b, unsigned long s) { return f.GetPartNumber(b, s); });
    const Operation getString = Text([](const ProtocolFacade& f, char* b, unsigned long s) {
        return f.GetString(b, s, static_cast<GetStringIndex>(2));
    });
    const Operation control =
        RecordOf<MicrocontrollerFirmwareVersion>([](const ProtocolFacade& f, MicrocontrollerFirmwareVersion& v) {
            return f.GetControlFirmwareVersion(v, kModule7);
        });
    const Operation radio =
        RecordOf<MicrocontrollerFirmwareVersion>([](const ProtocolFacade& f, MicrocontrollerFirmwareVersion& v) {
            return f.GetRadioFirmwareVersion(v, kModule7);
        });
    const Operation bluetooth = [](const ProtocolFacade& f, std::string& out) {
        BluetoothFirmwareVersion version{};
        const ProtocolCommandResult result = f.GetBluetoothFirmwareVersion(version, kModule7);
        out = fmt::format("{:08X}.{:08X}.{:04X}", version.Major, version.Minor, version.Build);
        return result;
    };
    const Operation hardware = [](const ProtocolFacade& f, std::string& out) {
        InstalledHardwareInformation information{};
        const ProtocolCommandResult result = f.GetInstalledHardware(information);
        for (const bool flag : information.Flags) {
            out += flag ? '1' : '0';
        }
        return result;
    };
    const Operation uptime = [](const ProtocolFacade& f, std::string& out) {
        unsigned int seconds = 0;
        const ProtocolCommandResult result = f.GetSystemUptime(seconds);
        out = fmt::format("{:08X}", seconds);
        return result;
    };
    const Operation luid = [](const ProtocolFacade& f, std::string& out) {
        LuidResponseInformation information{};
        const ProtocolCommandResult result = f.GetLuid(information);
        out = fmt::format("{:08X} {:08X}", information.FirstWord, information.SecondWord);
        return result;
    };
    const Operation setLuid = [](const ProtocolFacade& f, std::string&) { return f.SetLuid(0xBEEF); };
    const Operation transparent = RecordOf<TransparentModeStatusInformation>(
        [](const ProtocolFacade& f, TransparentModeStatusInformation& s) { return f.GetTransparentModeStatus(s); });
    const Operation nxp = RecordOf<NxpSamFirmwareVersion>(
        [](const ProtocolFacade& f, NxpSamFirmwareVersion& v) { return f.GetNxpAvxSamFirmwareVersion(v); });
    const Operation hidSe = RecordOf<HidSeSamFirmwareVersion>(
        [](const ProtocolFacade& f, HidSeSamFirmwareVersion& v) { return f.GetHidSeSamFirmwareVersion(v); });
    const Operation felica = RecordOf<FelicaSamFirmwareVersion>(
        [](const ProtocolFacade& f, FelicaSamFirmwareVersion& v) { return f.GetFelicaSamFirmwareVersion(v); });

    auto mfp24 = [](const std::string& text) { return Bytes(text.begin(), text.end()); };
    return {
        {"GetESN",
         kFeatureReport,
         getEsn,
         {Phrase({0x8C, 0x05, 0}), Phrase({0x8C, 0x05, 1}), Phrase({0x8C, 0x05, 2}), Phrase({0x8C, 0x05, 3})},
         esn},
        {"GetESN",
         kSerialBinary,
         getEsn,
         {{0xFA, 0x08, 0, 0, 0},
          {0xFA, 0x08, 1, 0, 0},
          {0xFA, 0x08, 2, 0, 0},
          {0xFA, 0x08, 3, 0, 0},
          {0xFA, 0x08, 4, 0, 0}},
         esn},
        {"GetPartNumber",
         kFeatureReport,
         getPartNumber,
         {Phrase({0x8C, 0x01, 0}), Phrase({0x8C, 0x01, 1}), Phrase({0x8C, 0x01, 2})},
         "TAV-PN-4711"},
        {"GetPartNumber", kMfp24, getPartNumber, {mfp24("QRZ01")}, "TAV-PN-4711"},
        {"GetPartNumber",
         kSerialBinary,
         getPartNumber,
         {{0xFA, 0x0C, 0x01, 0, 0}, {0xFA, 0x0C, 0x01, 1, 0}, {0xFA, 0x0C, 0x01, 2, 0}},
         "TAV-PN-4711"},
        // Sixteen characters and the NUL: three phrases.
        {"GetString",
         kFeatureReport,
         getString,
         {Phrase({0x8C, 0x04, 2, 0}), Phrase({0x8C, 0x04, 2, 1}), Phrase({0x8C, 0x04, 2, 2})},
         "Simulated Reader"},
        {"GetString",
         kSerialBinary,
         getString,
         {{0xFA, 0x0C, 0x04, 2, 0}, {0xFA, 0x0C, 0x04, 2, 1}, {0xFA, 0x0C, 0x04, 2, 2}},
         "Simulated Reader"},
        {"GetControlFirmwareVersion", kFeatureReport, control, {Phrase({0x89, 0x03, 0, 7})}, "01 02 03 04 00 07"},
        {"GetControlFirmwareVersion", kSerialBinary, control, {{0xFA, 0x09, 0x03, 0, 7}}, "01 02 03 04 00 07"},
        {"GetRadioFirmwareVersion", kFeatureReport, radio, {Phrase({0x89, 0x03, 1, 7})}, "05 06 07 08 01 07"},
        {"GetRadioFirmwareVersion", kSerialBinary, radio, {{0xFA, 0x09, 0x03, 1, 7}}, "05 06 07 08 01 07"},
        {"GetBluetoothFirmwareVersion",
         kFeatureReport,
         bluetooth,
         {Phrase({0x89, 0x03, 2, 7})},
         "00000003.00000004.0506"},
        // An MFP24 reader sends major and minor as four characters each, taken as they come.
        {"GetBluetoothFirmwareVersion", kMfp24, bluetooth, {mfp24("QSX05")}, "30303033.30303034.0000"},
        // One reply, decoded three ways; each operation reads the decoding of its own selector.
        {"GetNxpAvxSamFirmwareVersion", kFeatureReport, nxp, {Phrase({0x89, 0x03, 4, 1})}, "00 00 00 00 04 01"},
        {"GetHidSeSamFirmwareVersion", kFeatureReport, hidSe, {Phrase({0x89, 0x03, 4, 0})}, "00 00 00 00 04 00"},
        {"GetFelicaSamFirmwareVersion", kFeatureReport, felica, {Phrase({0x89, 0x03, 4, 3})}, "0C 0B 0A 09 04 03"},
        {"GetInstalledHardware", kFeatureReport, hardware, {Phrase({0x89, 0x05})}, "101000000101000001"},
        {"GetInstalledHardware", kMfp24, hardware, {mfp24("QSX07")}, "101000000101000001"},
        {"GetInstalledHardware", kSerialBinary, hardware, {{0xFA, 0x09, 0x05, 0, 0}}, "101000000101000001"},
        {"GetSystemUptime", kFeatureReport, uptime, {Phrase({0x89, 0x06})}, "01020304"},
        {"GetSystemUptime", kSerialBinary, uptime, {{0xFA, 0x09, 0x06, 0, 0}}, "01020304"},
        {"GetLuid", kFeatureReport, luid, {Phrase({0x8A})}, "00001234 00001234"},
        {"GetLuid", kSerialBinary, luid, {{0xFA, 0x05, 0, 0, 0x08}}, "00001234 00001234"},
        // No reply is read on a feature-report reader.
        {"SetLuid", kFeatureReport, setLuid, {Phrase({0x8A}), Phrase({0x00, 0xEF, 0xBE})}, ""},
        {"SetLuid", kSerialBinary, setLuid, {{0xFA, 0x06, 0, 0, 0x02}, {0xEF, 0xBE}}, ""},
        {"GetTransparentModeStatus", kFeatureReport, transparent, {Phrase({0x8C, 0x00})}, "01 01 02"},
    };
}

TEST(IdentityFacadeTest, EachOperationSendsItsPhrasesAndCopiesItsResultOut) {
    for (const Row& row : IdentityRows()) {
        SCOPED_TRACE(std::string(row.operation) + " on " + WireName(row.protocol));
        SimulatedIdentityReader reader(row.protocol);
        std::string result;
        const ProtocolCommandResult record = row.run(reader.Facade(), result);
        ASSERT_FALSE(record.HasException) << record.Message;
        EXPECT_EQ(result, row.result);
        const std::vector<Bytes> sent = reader.Sent();
        if (row.protocol == kMfp24) {
            ASSERT_EQ(sent.size(), row.phrases.size());
            for (std::size_t i = 0; i < sent.size(); ++i) {
                EXPECT_EQ(Bytes(sent[i].begin(), sent[i].begin() + 5), row.phrases[i]);
                EXPECT_EQ(sent[i].size(), 24U);
            }
        } else {
            EXPECT_EQ(sent, row.phrases);
        }
    }
}

TEST(IdentityFacadeTest, SetLuidChangesTheReadersLuid) {
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        SCOPED_TRACE(WireName(protocol));
        SimulatedIdentityReader reader(protocol);
        ASSERT_FALSE(reader.Facade().SetLuid(0xBEEF).HasException);
        EXPECT_EQ(reader.Reader().Model()->luid, 0xBEEF);
    }
}

// Operations a protocol lacks, with arguments their own checks would refuse: the refusal comes
// first, and the caller's values stay as they were.
TEST(IdentityFacadeTest, RefusedProtocolsAndReplyFaultsLeaveTheOutParametersAlone) {
    struct FailureRow {
        const char* operation;
        uint8_t protocol;
        std::function<void(SimulatedIdentityReader&)> arrange;
        Operation run;
        const char* message;  // empty: the command's own reply check
    };
    const char* const mfp24 = "This command is not yet supported with the MFP24 Protocol";
    const char* const serial = "This command is not yet supported with the Serial Binary Protocol";
    const auto none = [](SimulatedIdentityReader&) {};
    const Operation getString = Text([](const ProtocolFacade& f, char* b, unsigned long s) {
        return f.GetString(b, s, static_cast<GetStringIndex>(0));
    });
    const Operation control = RecordOf<MicrocontrollerFirmwareVersion>([](const ProtocolFacade& f, auto& v) {
        return f.GetControlFirmwareVersion(v, FirmwareVersionModuleType::Unspecified);
    });
    const Operation bluetooth = RecordOf<BluetoothFirmwareVersion>([](const ProtocolFacade& f, auto& v) {
        return f.GetBluetoothFirmwareVersion(v, FirmwareVersionModuleType::Unspecified);
    });
    const Operation hidSe = RecordOf<HidSeSamFirmwareVersion>(
        [](const ProtocolFacade& f, auto& v) { return f.GetHidSeSamFirmwareVersion(v); });
    const Operation luid =
        RecordOf<LuidResponseInformation>([](const ProtocolFacade& f, auto& v) { return f.GetLuid(v); });
    const Operation radio = RecordOf<MicrocontrollerFirmwareVersion>([](const ProtocolFacade& f, auto& v) {
        return f.GetRadioFirmwareVersion(v, FirmwareVersionModuleType::Unspecified);
    });
    const Operation felica = RecordOf<FelicaSamFirmwareVersion>(
        [](const ProtocolFacade& f, auto& v) { return f.GetFelicaSamFirmwareVersion(v); });
    // A write has nothing to copy out: its rendering is what the caller had.
    const Operation setLuid = [](const ProtocolFacade& f, std::string& out) {
        out = std::string(63, 'x');
        return f.SetLuid(0xBEEF);
    };
    const Operation transparent = RecordOf<TransparentModeStatusInformation>(
        [](const ProtocolFacade& f, auto& v) { return f.GetTransparentModeStatus(v); });
    const Operation uptime =
        RecordOf<unsigned int>([](const ProtocolFacade& f, auto& v) { return f.GetSystemUptime(v); });
    const Operation hardware = RecordOf<InstalledHardwareInformation>(
        [](const ProtocolFacade& f, auto& v) { return f.GetInstalledHardware(v); });
    const Operation esn = Text([](const ProtocolFacade& f, char* b, unsigned long s) { return f.GetESN(b, s); });
    const std::vector<FailureRow> rows = {
        {"GetESN", kMfp24, none, esn, mfp24},
        {"GetString", kMfp24, none, getString, mfp24},
        {"GetControlFirmwareVersion", kMfp24, none, control, mfp24},
        {"GetBluetoothFirmwareVersion", kSerialBinary, none, bluetooth, serial},
        {"GetHidSeSamFirmwareVersion", kSerialBinary, none, hidSe, serial},
        {"GetLuid", kMfp24, none, luid, mfp24},
        {"GetTransparentModeStatus", kSerialBinary, none, transparent, serial},
        {"GetTransparentModeStatus", kMfp24, none, transparent, mfp24},
        {"GetRadioFirmwareVersion", kMfp24, none, radio, mfp24},
        {"GetFelicaSamFirmwareVersion", kMfp24, none, felica, mfp24},
        {"GetFelicaSamFirmwareVersion", kSerialBinary, none, felica, serial},
        {"SetLuid", kMfp24, none, setLuid, mfp24},
        {"GetSystemUptime", kMfp24, none, uptime, mfp24},
        {"GetSystemUptime", kSerialBinary,
         [](SimulatedIdentityReader& r) {
             r.InjectFault(TavSim::FaultTrigger::OnCommand({0xFA, 0x09, 0x06}), TavSim::Fault::WrongStatusWord(0x6A80));
         },
         uptime, ""},
        {"GetInstalledHardware", kMfp24,
         [](SimulatedIdentityReader& r) { r.Reader().Model()->mfp24ErrorPackets.insert("QSX07"); }, hardware,
         "Received an error packet or the reader does not support this command."},
        {"GetLuid", kFeatureReport,
         [](SimulatedIdentityReader& r) {
             r.InjectFault(TavSim::FaultTrigger::OnCommand({0x8A}), TavSim::Fault::ShortReply(3));
         },
         luid, ""},
        {"GetESN", kSerialBinary,
         [](SimulatedIdentityReader& r) { r.InjectFault(TavSim::FaultTrigger::OnPhrase(2), TavSim::Fault::NoReply()); },
         esn, ""},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(std::string(row.operation) + " on " + WireName(row.protocol));
        SimulatedIdentityReader fresh(row.protocol);
        row.arrange(fresh);
        std::string result;
        const ProtocolCommandResult record = row.run(fresh.Facade(), result);
        EXPECT_TRUE(record.HasException);
        EXPECT_STREQ(record.ExceptionType, "ElvarinException");
        if (*row.message != '\0') {
            EXPECT_STREQ(record.Message, row.message);
        }
        if (std::string(row.message).starts_with("This command")) {
            // The visitor of the operation refuses: the SAM reads share one.
            const std::string operation = row.operation;
            const std::string visitor =
                operation.ends_with("SamFirmwareVersion") ? "GetSamFirmwareVersionVisitor" : operation + "Visitor";
            EXPECT_EQ(record.File, visitor);
            EXPECT_STREQ(record.Function, "Visit");
            EXPECT_THAT(fresh.Sent(), IsEmpty());
        }
        EXPECT_TRUE(Untouched(result)) << result;
    }
}

struct BufferCase {
    const char* operation;
    int line;
    std::function<ProtocolCommandResult(const ProtocolFacade&, char*, unsigned long)> run;
    std::size_t length;  // of the text the reader holds
};

// The check follows the exchange: the reader is asked either way.
TEST(IdentityFacadeTest, ATextNeedsRoomForItsTerminator) {
    const BufferCase cases[] = {
        {"GetESN", 958, [](const ProtocolFacade& f, char* b, unsigned long s) { return f.GetESN(b, s); }, 32},
        {"GetPartNumber", 978, [](const ProtocolFacade& f, char* b, unsigned long s) { return f.GetPartNumber(b, s); },
         11},
        {"GetString", 1053,
         [](const ProtocolFacade& f, char* b, unsigned long s) {
             return f.GetString(b, s, static_cast<GetStringIndex>(2));
         },
         16},
    };
    for (const BufferCase& check : cases) {
        SCOPED_TRACE(check.operation);
        SimulatedIdentityReader reader(kSerialBinary);
        std::vector<char> buffer(check.length + 1, 'x');
        ProtocolCommandResult record = check.run(reader.Facade(), buffer.data(), check.length + 1);
        ASSERT_FALSE(record.HasException) << record.Message;
        EXPECT_EQ(std::strlen(buffer.data()), check.length);

        std::fill(buffer.begin(), buffer.end(), 'x');
        record = check.run(reader.Facade(), buffer.data(), check.length);
        EXPECT_TRUE(record.HasException);
        EXPECT_STREQ(record.Message, "Input buffer is too small to hold the result.");
        EXPECT_STREQ(record.File, "ProtocolFacade");
        EXPECT_EQ(record.Line, check.line);
        EXPECT_STREQ(record.Function, "operator()");
        EXPECT_EQ(std::string(buffer.begin(), buffer.end()), std::string(check.length + 1, 'x'));
    }
}

TEST(IdentityFacadeTest, ANullTextBufferOfSomeSizeIsRefusedBeforeAnyPhrase) {
    const BufferCase cases[] = {
        {"GetESN", 0, [](const ProtocolFacade& f, char* b, unsigned long s) { return f.GetESN(b, s); }, 0},
        {"GetPartNumber", 0, [](const ProtocolFacade& f, char* b, unsigned long s) { return f.GetPartNumber(b, s); },
         0},
        {"GetString", 0,
         [](const ProtocolFacade& f, char* b, unsigned long s) {
             return f.GetString(b, s, static_cast<GetStringIndex>(2));
         },
         0},
    };
    for (const BufferCase& check : cases) {
        SCOPED_TRACE(check.operation);
        SimulatedIdentityReader reader(kFeatureReport);
        const ProtocolCommandResult record = check.run(reader.Facade(), nullptr, 64);
        EXPECT_TRUE(record.HasException);
        EXPECT_STREQ(record.ExceptionType, "InvalidArgument");
        EXPECT_STREQ(record.Message, "buffer pointer cannot be null");
        EXPECT_STREQ(record.Function, check.operation);
        EXPECT_THAT(reader.Sent(), IsEmpty());

        // With no room at all nothing can be written: the text is too large for it, as for any
        // buffer too small.
        const ProtocolCommandResult empty = check.run(reader.Facade(), nullptr, 0);
        EXPECT_STREQ(empty.Message, "Input buffer is too small to hold the result.");
    }
}

}  // namespace
