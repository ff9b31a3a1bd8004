#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/FixedText.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/FakeSysfsTree.h"
#include "support/LogCapture.h"
#include "support/SimulatedHidrawNode.h"
#include "support/TempDir.h"
#include "transport/TransportException.h"
#include "transport/UsbHidTransport.h"

namespace {

using TavTest::SimulatedHidrawNode;
using TavTransport::ReportType;
using TavTransport::TransportException;
using TavTransport::TransportPayload;
using TavTransport::UsbHidTransport;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

// The whole program runs with the interposer preloaded and transport logging at trace.
const bool kUnderInterposer = [] {
    TavTest::ReexecuteUnderHidrawInterposer(TAV_TEST_PROGRAM_DIR "/libtav_hidraw_interposer.so",
                                            {"TAV_TRANSPORT_LOG_LEVEL=trace"});
    return TavTest::HidrawInterposerLoaded();
}();

constexpr int kTrace = 0;
constexpr int kDebug = 1;
constexpr int kInfo = 2;
constexpr int kWarn = 3;

TavCommon::ReaderDefinition Definition(const std::string& busPath, const std::string& serial = "",
                                       uint8_t protocol = 1) {
    TavCommon::ReaderDefinition definition{};
    definition.VendorId = 0x0ABC;
    definition.ProductId = 0x1234;
    TavCommon::CopyToFixedField(definition.UsbPath, busPath);
    TavCommon::CopyToFixedField(definition.SerialNumber, serial);
    definition.ProtocolType = protocol;
    return definition;
}

// What a call threw: the exception's kind, its message and the line its record carries.
struct Thrown {
    std::string kind;
    std::string message;
    int line = 0;
};

template <typename Call>
Thrown ThrownBy(Call&& call) {
    try {
        call();
    } catch (const TransportException& error) {
        return {"TransportException", error.what(), error.Line()};
    } catch (const std::runtime_error& error) {
        return {"std::runtime_error", error.what()};
    }
    return {"nothing", ""};
}

std::vector<std::string> LinesAt(const TavTest::LogCapture& log, int level) {
    std::vector<std::string> lines;
    for (const auto& line : log.Lines()) {
        if (line.level == level) {
            lines.push_back(line.message);
        }
    }
    return lines;
}

long Count(const std::vector<std::string>& lines, const std::string& text) {
    return std::count(lines.begin(), lines.end(), text);
}

// One USB device at bus path 1-7 whose HID interface is the simulated node /dev/hidraw90.
class UsbHidTransportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(kUnderInterposer) << "the hidraw interposer could not be preloaded";
        tree_.AddUsbDevice(TavTest::FakeSysfsTree::Device("1-7", {"hidraw90"}));
        // Listed in sysfs, but no node answers behind it.
        tree_.AddUsbDevice(TavTest::FakeSysfsTree::Device("2-1", {"hidraw97"}));
    }

    std::unique_ptr<UsbHidTransport> Transport(const std::string& busPath, const std::string& serial = "") {
        return std::make_unique<UsbHidTransport>(Definition(busPath, serial), tree_.Root());
    }

    TavTest::TempDir temp_;
    TavTest::FakeSysfsTree tree_{temp_.Path() / "sys"};
    TavSim::SimulatedReader reader_;
    TavSim::FeatureReportFrontEnd frontEnd_{reader_};
    SimulatedHidrawNode node_{"/dev/hidraw90", frontEnd_};
    TavTest::LogCapture log_;
};

struct TransmitCase {
    const char* label;
    ReportType kind;
    SimulatedHidrawNode::Report::Kind expected;
    TavSim::PhraseKind arrives;
};

void PrintTo(const TransmitCase& param, std::ostream* os) { *os << param.label; }

class UsbHidTransmitTest : public UsbHidTransportTest, public ::testing::WithParamInterface<TransmitCase> {};

// Every byte of the phrase goes out behind report id 0, whatever the payload's length says.
TEST_P(UsbHidTransmitTest, SendsReportIdThenEveryPhraseByte) {
    frontEnd_.AllowUnknownPhrases();  // bytes chosen for the trace, not a command
    auto transport = Transport("1-7");
    transport->init(0);
    TransportPayload payload{{0x01, 0x41, 0x7E, 0x7F, 0x00, 0xFF, 0x20, 0x0A}, 3, GetParam().kind};
    transport->transmit(payload);

    EXPECT_THAT(node_.Reports(), ElementsAre(SimulatedHidrawNode::Report{
                                     GetParam().expected, {0x00, 0x01, 0x41, 0x7E, 0x7F, 0x00, 0xFF, 0x20, 0x0A}}));
    EXPECT_THAT(frontEnd_.Received(),
                ElementsAre(TavSim::FeatureReportFrontEnd::ReceivedPhrase{payload.data, GetParam().arrives}));
    const auto trace = LinesAt(log_, kTrace);
    EXPECT_THAT(trace,
                Contains("[TRANSPORT] Transmitted 9 bytes: [0x00, 0x01, 0x41, 0x7e, 0x7f, 0x00, 0xff, 0x20, 0x0a]"));
    EXPECT_THAT(trace, Contains("[TRANSPORT] ASCII => [..A~... .]"));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UsbHidTransmitTest,
    ::testing::Values(TransmitCase{"Feature", ReportType::Feature, SimulatedHidrawNode::Report::SetFeature,
                                   TavSim::PhraseKind::Feature},
                      TransmitCase{"Output", ReportType::Output, SimulatedHidrawNode::Report::Output,
                                   TavSim::PhraseKind::Output}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(UsbHidTransportTest, ReceiveReadsOneFeatureReportOfTheAskedLength) {
    reader_.Model()->ActiveConfiguration().blocks[0] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
    auto transport = Transport("1-7");
    transport->init(0);
    TransportPayload readBlock1{{0x80, 0, 0, 0, 0, 0, 0, 0}, 8, ReportType::Feature};

    transport->transmit(readBlock1);
    EXPECT_THAT(transport->receive(readBlock1), ElementsAre(0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80));
    // A device that sends less still gives the asked length; what it did not send stays 0.
    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(1), TavSim::Fault::ShortReply(3));
    transport->transmit(readBlock1);
    EXPECT_THAT(transport->receive(readBlock1), ElementsAre(0x10, 0x20, 0x30, 0, 0, 0, 0, 0));

    const std::vector<uint8_t> asked(9, 0);  // report id 0, then room for 8 bytes
    EXPECT_THAT(node_.Reports(),
                Contains(SimulatedHidrawNode::Report{SimulatedHidrawNode::Report::GetFeature, asked}).Times(2));
    const auto trace = LinesAt(log_, kTrace);
    EXPECT_EQ(Count(trace, "[TRANSPORT] Receive will attempt to read 8 bytes"), 2);
    EXPECT_THAT(trace, Contains("[TRANSPORT] Received 8 bytes: [0x10,0x20,0x30,0x40,0x50,0x60,0x70,0x80]"));
}

// A command's whole exchange through hidapi: the written block is the one read back.
TEST_F(UsbHidTransportTest, WrittenConfigurationBlockReadsBack) {
    auto transport = Transport("1-7");
    transport->init(0);
    TransportPayload writeBlock2{{0x81, 0, 0, 0, 0, 0, 0, 0}, 8, ReportType::Feature};
    TransportPayload block{{1, 2, 3, 4, 5, 6, 7, 8}, 8, ReportType::Feature};
    transport->transmit(writeBlock2);
    transport->transmit(block);

    EXPECT_THAT(reader_.Model()->ActiveConfiguration().blocks[1], ElementsAre(1, 2, 3, 4, 5, 6, 7, 8));
    transport->transmit(writeBlock2);
    EXPECT_EQ(transport->receive(writeBlock2), block.data);
}

struct OpenFailureCase {
    const char* label;
    const char* busPath;  // empty: open by ids
    const char* firstFailure;
};

void PrintTo(const OpenFailureCase& param, std::ostream* os) { *os << param.label; }

class UsbHidOpenFailureTest : public UsbHidTransportTest, public ::testing::WithParamInterface<OpenFailureCase> {};

// Every way an attempt fails is retried, logged once with its text, and ends in the attempt count.
TEST_P(UsbHidOpenFailureTest, FailedAttemptIsLoggedAndEndsInAttemptCount) {
    auto transport = Transport(GetParam().busPath, "SN1");
    const auto thrown = ThrownBy([&] { transport->init(1); });

    EXPECT_EQ(thrown.kind, "TransportException");
    EXPECT_EQ(thrown.message, "Unable to connect to the reader after 2 attempts");
    const auto warnings = LinesAt(log_, kWarn);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_THAT(warnings[0],
                StartsWith(std::string("[TRANSPORT] (Attempt 1) Library error was: ") + GetParam().firstFailure));
}

INSTANTIATE_TEST_SUITE_P(
    Causes, UsbHidOpenFailureTest,
    ::testing::Values(
        // udev finds no such device on this machine: hidapi says so in its own words.
        OpenFailureCase{"OpenByIds", "", "Unable to Open device 0abc:1234. Library message: "},
        OpenFailureCase{"BusPathFormat", "usb1",
                        "Invalid USB topological path format: 'usb1'. Expected format like '1-7' or '1-7.2'"},
        OpenFailureCase{"UnresolvedBusPath", "1-7.2", "Unable to resolve USB bus path '1-7.2' to HID device path"},
        OpenFailureCase{"SameChainOtherBus", "3-7", "Unable to resolve USB bus path '3-7' to HID device path"},
        // udev may not have made the node yet; hidapi is not asked to open what is not there.
        OpenFailureCase{"NodeNotThereYet", "2-1",
                        "Unable to open device at /dev/hidraw97 (resolved from 2-1): No such file or directory"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(UsbHidTransportTest, MissingHidrawClassFolderFailsTheAttempt) {
    std::filesystem::remove_all(tree_.Root() / "class/hidraw");
    auto transport = Transport("1-7");

    EXPECT_EQ(ThrownBy([&] { transport->init(0); }).message, "Unable to connect to the reader after 1 attempts");
    EXPECT_THAT(LinesAt(log_, kWarn), ElementsAre("[TRANSPORT] (Attempt 1) Library error was: Unable to open " +
                                                  (tree_.Root() / "class/hidraw").string() + " directory"));
}

TEST_F(UsbHidTransportTest, HidapiInitFailureIsNotRetried) {
    auto transport = Transport("1-7");
    TavTest::FailNextHidInit(1);
    const auto thrown = ThrownBy([&] { transport->init(3); });

    EXPECT_EQ(thrown.kind, "std::runtime_error");
    EXPECT_THAT(thrown.message, StartsWith("Unable to initialize HIDAPI library. "));
    EXPECT_EQ(node_.Opens(), 0);
}

TEST_F(UsbHidTransportTest, FirstAttemptThatOpensLogsNoRetry) {
    auto transport = Transport("1-7");
    transport->init(0);

    EXPECT_EQ(node_.Opens(), 1);
    EXPECT_THAT(LinesAt(log_, kInfo), ElementsAre("[TRANSPORT] Connected to reader after 0 retries."));
    EXPECT_THAT(LinesAt(log_, kDebug), IsEmpty());
    EXPECT_THAT(LinesAt(log_, kTrace), Contains("[TRANSPORT] Attempting to open device at USB bus path: 1-7"));
}

TEST_F(UsbHidTransportTest, ReaderThatOpensOnTheSecondAttemptConnectsAfterOnePause) {
    node_.FailOpens(1, EBUSY);
    auto transport = Transport("1-7");
    const auto start = std::chrono::steady_clock::now();
    transport->init(1);

    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(node_.Opens(), 2);
    EXPECT_EQ(Count(LinesAt(log_, kTrace), "[TRANSPORT] Attempting to open device at USB bus path: 1-7"), 2);
    EXPECT_THAT(
        LinesAt(log_, kDebug),
        ElementsAre("[TRANSPORT] Retrying to connect to the reader. Is it an MFP24? Will retry up to 1 times."));
    const auto warnings = LinesAt(log_, kWarn);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_THAT(warnings[0], StartsWith("[TRANSPORT] (Attempt 1) Library error was: Unable to open device at "
                                        "/dev/hidraw90 (resolved from 1-7). Library message: "));
    EXPECT_THAT(LinesAt(log_, kInfo), ElementsAre("[TRANSPORT] Connected to reader after 1 retries."));

    TransportPayload payload{{0x80}, 1, ReportType::Feature};
    transport->transmit(payload);
}

// The attempt count is one more than the retry count: the largest count must not wrap to none.
TEST_F(UsbHidTransportTest, LargestRetryCountStillRetries) {
    node_.FailOpens(1, ENOENT);
    auto transport = Transport("1-7");
    transport->init(std::numeric_limits<uint32_t>::max());

    EXPECT_THAT(LinesAt(log_, kDebug), ElementsAre("[TRANSPORT] Retrying to connect to the reader. Is it an MFP24? "
                                                   "Will retry up to 4294967295 times."));
    EXPECT_THAT(LinesAt(log_, kInfo), ElementsAre("[TRANSPORT] Connected to reader after 1 retries."));
}

TEST_F(UsbHidTransportTest, EveryAttemptFailingLeavesTheTransportUnconnected) {
    node_.FailOpens(100, ENODEV);
    auto transport = Transport("1-7");
    const auto start = std::chrono::steady_clock::now();
    try {
        transport->init(1);
        FAIL() << "init succeeded";
    } catch (const TransportException& error) {
        EXPECT_STREQ(error.what(), "Unable to connect to the reader after 2 attempts");
        EXPECT_EQ(error.File(), "UsbHidTransport");
        EXPECT_EQ(error.Line(), 58);
        EXPECT_EQ(error.Function(), "init");
    }
    // The last failed attempt is followed by its pause too.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(node_.Opens(), 2);
    EXPECT_EQ(LinesAt(log_, kWarn).size(), 1u);
    EXPECT_THAT(LinesAt(log_, kInfo), IsEmpty());

    TransportPayload payload{{0x01}, 1, ReportType::Feature};
    EXPECT_EQ(ThrownBy([&] { transport->transmit(payload); }).message,
              "Cannot transmit data. Transport is not connected. Call init() first.");
}

TEST_F(UsbHidTransportTest, OpenByIdsTriesEveryAttemptWithTheSerialNumber) {
    auto transport = Transport("", "SN1");
    EXPECT_EQ(ThrownBy([&] { transport->init(1); }).message, "Unable to connect to the reader after 2 attempts");
    EXPECT_EQ(
        Count(LinesAt(log_, kTrace), "[TRANSPORT] Attempting to open device with VID: 0abc PID: 1234 Serial: SN1"), 2);
}

TEST_F(UsbHidTransportTest, InitAgainClosesAndReopensAndDestructionCloses) {
    auto transport = Transport("1-7");
    transport->init(0);
    transport->init(0);
    EXPECT_EQ(node_.Opens(), 2);
    EXPECT_EQ(node_.Closes(), 1);
    EXPECT_THAT(LinesAt(log_, kTrace), Contains("[TRANSPORT] Transport already connected. Closing and reopening."));

    transport.reset();
    EXPECT_EQ(node_.Closes(), 2);
    EXPECT_THAT(LinesAt(log_, kTrace), Contains("[TRANSPORT] Deconstructing UsbHidTransport"));
}

struct ExchangeFailureCase {
    const char* label;
    TavSim::Fault fault;
    ReportType kind;
    bool receive;
    const char* message;
    int error;
};

void PrintTo(const ExchangeFailureCase& param, std::ostream* os) { *os << param.label; }

class UsbHidExchangeFailureTest : public UsbHidTransportTest,
                                  public ::testing::WithParamInterface<ExchangeFailureCase> {};

// A failed report is the library's error, not a lost connection: once the reader answers again,
// the next exchange goes through without a new init.
TEST_P(UsbHidExchangeFailureTest, FailedReportCarriesLibraryMessageAndLeavesTransportConnected) {
    const ExchangeFailureCase& param = GetParam();
    auto transport = Transport("1-7");
    transport->init(0);
    TransportPayload payload{{0x80, 0, 0, 0, 0, 0, 0, 0}, 8, param.kind};
    auto exchange = [&] {
        transport->transmit(payload);
        if (param.receive) {
            transport->receive(payload);
        }
    };

    frontEnd_.InjectFault(TavSim::FaultTrigger::OnPhrase(0), param.fault, 1);
    const auto thrown = ThrownBy(exchange);
    EXPECT_EQ(thrown.kind, "std::runtime_error");
    EXPECT_THAT(thrown.message, AllOf(StartsWith(param.message), HasSubstr(std::strerror(param.error))));

    reader_.Reconnect();
    EXPECT_EQ(ThrownBy(exchange).kind, "nothing");
}

INSTANTIATE_TEST_SUITE_P(
    Reports, UsbHidExchangeFailureTest,
    ::testing::Values(ExchangeFailureCase{"Feature", TavSim::Fault::DeviceGone(), ReportType::Feature, false,
                                          "Unable to send feature report. Library message: ", ENODEV},
                      ExchangeFailureCase{"Output", TavSim::Fault::DeviceGone(), ReportType::Output, false,
                                          "Unable to send output report. Library message: ", ENODEV},
                      ExchangeFailureCase{"Receive", TavSim::Fault::NoReply(), ReportType::Feature, true,
                                          "Unable to receive feature report. Library message: ", ETIMEDOUT}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(UsbHidTransportTest, ExchangesBeforeInitAreRefused) {
    auto transport = Transport("1-7");
    TransportPayload payload{{0x01}, 8, ReportType::Feature};
    const auto transmit = ThrownBy([&] { transport->transmit(payload); });
    const auto receive = ThrownBy([&] { transport->receive(payload); });

    EXPECT_EQ(transmit.kind, "TransportException");
    EXPECT_EQ(transmit.message, "Cannot transmit data. Transport is not connected. Call init() first.");
    EXPECT_EQ(transmit.line, 116);
    EXPECT_EQ(receive.kind, "TransportException");
    EXPECT_EQ(receive.message, "Cannot receive data. Transport is not connected. Call init() first.");
    EXPECT_EQ(receive.line, 144);
    EXPECT_THAT(node_.Reports(), IsEmpty());
}

TEST_F(UsbHidTransportTest, OnlyUsbHidProtocolTypesAreAccepted) {
    for (const uint8_t protocol : {0, 3, 254, 255}) {
        try {
            UsbHidTransport transport(Definition("1-7", "", protocol), tree_.Root());
            ADD_FAILURE() << "protocol type " << int{protocol} << " accepted";
        } catch (const TransportException& error) {
            EXPECT_STREQ(error.what(), "Incompatible protocol type for UsbHidTransport");
            EXPECT_EQ(error.File(), "UsbHidTransport");
            EXPECT_EQ(error.Line(), 40);
            EXPECT_EQ(error.Function(), "UsbHidTransport");
        }
    }
    EXPECT_NO_THROW(UsbHidTransport(Definition("1-7", "", 2), tree_.Root()));
}

// A host may fill a text field to its last byte; nothing of the next field may join it.
TEST_F(UsbHidTransportTest, FullTextFieldsAreReadToTheirSize) {
    auto definition = Definition("", "");
    std::memset(definition.SerialNumber, 'S', sizeof definition.SerialNumber);
    UsbHidTransport byIds(definition, tree_.Root());
    EXPECT_EQ(ThrownBy([&] { byIds.init(0); }).kind, "TransportException");
    EXPECT_THAT(
        LinesAt(log_, kTrace),
        Contains("[TRANSPORT] Attempting to open device with VID: 0abc PID: 1234 Serial: " + std::string(256, 'S')));

    std::memset(definition.UsbPath, 'x', sizeof definition.UsbPath);
    UsbHidTransport byPath(definition, tree_.Root());
    EXPECT_EQ(ThrownBy([&] { byPath.init(0); }).kind, "TransportException");
    EXPECT_THAT(LinesAt(log_, kWarn),
                Contains("[TRANSPORT] (Attempt 1) Library error was: Invalid USB topological path format: '" +
                         std::string(512, 'x') + "'. Expected format like '1-7' or '1-7.2'"));
}

// A serial number the locale cannot convert must not become "no serial number", which would open
// the first device with these ids.
TEST_F(UsbHidTransportTest, TextTheLocaleCannotConvertRefusesToOpen) {
    struct RestoreLocale {
        std::string saved = std::setlocale(LC_CTYPE, nullptr);
        ~RestoreLocale() { std::setlocale(LC_CTYPE, saved.c_str()); }
    } restore;
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);

    for (const auto& [busPath, serial, field] :
         {std::tuple{"", "\xFF\xFE", "SerialNumber"}, std::tuple{"1-7\xFF", "", "UsbPath"}}) {
        UsbHidTransport transport(Definition(busPath, serial), tree_.Root());
        const auto thrown = ThrownBy([&] { transport.init(0); });
        EXPECT_EQ(thrown.kind, "TransportException");
        EXPECT_THAT(thrown.message, HasSubstr(field));
    }
    EXPECT_THAT(LinesAt(log_, kTrace), Not(Contains(HasSubstr("Attempting to open"))));
}

// Discovery copies the sysfs serial number (UTF-8) next to the bus path; a host that never set a
// locale must still open such a reader by its path, which never looks at the serial number.
TEST_F(UsbHidTransportTest, OnlyAnOpenByIdsNeedsTheSerialNumberConverted) {
    struct RestoreLocale {
        std::string saved = std::setlocale(LC_CTYPE, nullptr);
        ~RestoreLocale() { std::setlocale(LC_CTYPE, saved.c_str()); }
    } restore;
    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    const std::string serial = "Le\xC3\xA7teur-01";

    UsbHidTransport byPath(Definition("1-7", serial), tree_.Root());
    EXPECT_NO_THROW(byPath.init(0));
    TransportPayload payload{{0x8C, 0x06}, 8, ReportType::Feature};
    EXPECT_NO_THROW(byPath.transmit(payload));

    UsbHidTransport byIds(Definition("", serial), tree_.Root());
    const auto thrown = ThrownBy([&] { byIds.init(0); });
    EXPECT_EQ(thrown.kind, "TransportException");
    EXPECT_EQ(thrown.message,
              "The reader definition's SerialNumber cannot be converted to wide characters in the current locale");
}

// A node that is not the character device sysfs gives that hidraw name is some other file or
// device: hidapi, which would take it for a hidraw node and free garbage or leak on it, never sees
// it, and no attempt follows, whichever attempt found it.
TEST_F(UsbHidTransportTest, NodeThatIsNotTheHidrawDeviceIsRefusedOnceWithoutHidapi) {
    tree_.AddUsbDevice(TavTest::FakeSysfsTree::Device("1-9", {"hidraw91"}));
    const auto sysfsNumbers = tree_.Root() / "class/hidraw/hidraw91/dev";
    struct NodeCase {
        const char* label;
        unsigned fileType;  // 0: a character device
        dev_t nodeNumbers;
        const char* sysfsText;  // null: no entry
        const char* refusal;
        int line;
        int attemptsWithoutNode = 0;  // attempts that find no node before it shows
    };
    constexpr const char* kNoNumbers = "sysfs gives no device numbers for it";
    const NodeCase cases[] = {
        {"regular file", S_IFREG, makedev(241, 91), "241:91\n", "not a character device", 168},
        {"regular file on the second attempt", S_IFREG, makedev(241, 91), "241:91\n", "not a character device", 168, 1},
        {"FIFO", S_IFIFO, makedev(241, 91), "241:91\n", "not a character device", 168},
        {"other numbers", 0, makedev(1, 3), "241:91\n", "device numbers 1:3, not the hidraw device's 241:91", 176},
        {"other minor", 0, makedev(241, 90), "241:91\n", "device numbers 241:90, not the hidraw device's 241:91", 176},
        {"no entry", 0, makedev(241, 91), nullptr, kNoNumbers, 172},
        {"entry without a minor", 0, makedev(241, 91), "241\n", kNoNumbers, 172},
        // The node's own numbers hide inside each of these; none is what sysfs writes.
        {"character after the minor", 0, makedev(241, 91), "241:91x\n", kNoNumbers, 172},
        {"character after the major", 0, makedev(241, 91), "241x:91\n", kNoNumbers, 172},
        {"point in the minor", 0, makedev(241, 9), "241:9.1\n", kNoNumbers, 172},
        {"blank before the major", 0, makedev(241, 91), " 241:91\n", kNoNumbers, 172},
        {"word after the numbers", 0, makedev(241, 91), "241:91 91\n", kNoNumbers, 172},
        {"second newline", 0, makedev(241, 91), "241:91\n\n", kNoNumbers, 172},
    };
    for (const NodeCase& row : cases) {
        SCOPED_TRACE(row.label);
        std::filesystem::remove(sysfsNumbers);
        if (row.sysfsText != nullptr) {
            TavTest::WriteTextFile(sysfsNumbers, row.sysfsText);
        }
        const TavTest::LogCapture log;
        SimulatedHidrawNode impostor("/dev/hidraw91", frontEnd_, row.fileType, row.nodeNumbers);
        impostor.MissingForStats(row.attemptsWithoutNode);
        auto transport = Transport("1-9");

        const auto thrown = ThrownBy([&] { transport->init(3); });
        EXPECT_EQ(thrown.kind, "TransportException");
        EXPECT_EQ(thrown.message,
                  std::string("Unable to open device at /dev/hidraw91 (resolved from 1-9): ") + row.refusal);
        EXPECT_EQ(thrown.line, row.line);
        EXPECT_EQ(impostor.Opens(), 0);
        EXPECT_EQ(Count(LinesAt(log, kTrace), "[TRANSPORT] Attempting to open device at USB bus path: 1-9"),
                  row.attemptsWithoutNode + 1);
        // An attempt that found no node is retried with a warning; the refusal is not.
        EXPECT_EQ(LinesAt(log, kWarn).size(), row.attemptsWithoutNode > 0 ? 1u : 0u);
    }
}

}  // namespace
