#include "facade/ProtocolFacade.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/ProtocolException.h"
#include "support/FacadeTestTransport.h"
#include "support/ProtocolFailure.h"
#include "transport/TransportException.h"

namespace {

using TavProtocol::ProtocolFacade;
using TavProtocol::ProtocolHandle;
using TavTest::IsAllZero;

TavCommon::ReaderDefinition Definition(uint8_t protocolType) {
    TavCommon::ReaderDefinition definition{};
    definition.VendorId = 0x5E17;
    definition.ProductId = 0x0101;
    std::strcpy(definition.UsbPath, "1-7.2");
    std::strcpy(definition.SerialNumber, "SN-0001");
    definition.ProtocolType = protocolType;
    return definition;
}

// A record as a caller might hand it in: everything but the flag holds a recognisable pattern.
ProtocolCommandResult CallerRecord() {
    ProtocolCommandResult record;
    std::memset(&record, 'z', sizeof record);
    record.HasException = true;
    record.ExceptionType[sizeof record.ExceptionType - 1] = '\0';
    record.Message[sizeof record.Message - 1] = '\0';
    std::strcpy(record.File, "caller file");
    record.Line = 4242;
    std::strcpy(record.Function, "caller function");
    return record;
}

// Keeps a test's facade from outliving it when an expectation fails half-way.
struct OpenFacade {
    explicit OpenFacade(const TavCommon::ReaderDefinition& definition, int retryCount = 0)
        : handle(ProtocolFacade::CreateInstance(definition, retryCount, &record)) {}
    ~OpenFacade() { ProtocolFacade::DestroyInstance(handle); }
    ProtocolFacade& facade() const { return *ProtocolFacade::GetInstance(handle); }

    ProtocolCommandResult record{};
    ProtocolHandle handle;
};

struct InvalidTypeCase {
    uint8_t protocolType;
    const char* name;
};

TEST(ProtocolFacadeCreateTest, RefusesProtocolTypesWithoutAProtocolObject) {
    const TavTest::ScopedProbeTransports transports;
    for (const InvalidTypeCase& type : {InvalidTypeCase{0, "Invalid"}, InvalidTypeCase{254, "Dummy"},
                                        InvalidTypeCase{255, "UnknownProtocol"}, InvalidTypeCase{7, "Unknown"}}) {
        SCOPED_TRACE(type.name);
        ProtocolCommandResult record = CallerRecord();
        EXPECT_EQ(ProtocolFacade::CreateInstance(Definition(type.protocolType), 0, &record), 0U);
        EXPECT_TRUE(record.HasException);
        EXPECT_EQ(std::string(record.Message),
                  std::string("Unable to initialize an underlying protocol object given invalid type ") + type.name);
        EXPECT_STREQ(record.ExceptionType, "ElvarinException");
        EXPECT_STREQ(record.File, "ProtocolFactory");
        EXPECT_EQ(record.Line, 36);
        EXPECT_STREQ(record.Function, "GetProtocol");
        EXPECT_EQ(ProtocolFacade::CreateInstance(Definition(type.protocolType), 0, nullptr), 0U);
    }
    EXPECT_EQ(transports.probe().created, 0) << "no transport is built for a refused type";
}

TEST(ProtocolFacadeCreateTest, RegistersTheFacadeAndWritesOnlyTheFlag) {
    TavTest::ScopedProbeTransports transports;
    for (const uint8_t protocolType : {1, 2, 3}) {
        SCOPED_TRACE(static_cast<int>(protocolType));
        ProtocolCommandResult record = CallerRecord();
        const ProtocolCommandResult before = record;
        const ProtocolHandle handle = ProtocolFacade::CreateInstance(Definition(protocolType), 0, &record);
        ASSERT_NE(handle, 0U);
        EXPECT_NE(ProtocolFacade::GetInstance(handle), nullptr);
        EXPECT_FALSE(record.HasException);
        EXPECT_EQ(std::memcmp(record.Message, before.Message, sizeof record.Message), 0);
        EXPECT_STREQ(record.File, "caller file");
        EXPECT_EQ(record.Line, 4242);

        const int destroyedBefore = transports.probe().destroyed;
        ProtocolFacade::DestroyInstance(handle);
        EXPECT_EQ(transports.probe().destroyed, destroyedBefore + 1) << "DestroyInstance closes the device";
        EXPECT_EQ(ProtocolFacade::GetInstance(handle), nullptr);
        ProtocolFacade::DestroyInstance(handle);
        EXPECT_EQ(transports.probe().destroyed, destroyedBefore + 1);
    }
}

TEST(ProtocolFacadeCreateTest, PassesTheRetryCountToInitAndANegativeOneAsZero) {
    TavTest::ScopedProbeTransports transports;
    for (const auto& [given, passed] : {std::pair{-1, 0L}, std::pair{INT_MIN, 0L}, std::pair{0, 0L}, std::pair{3, 3L},
                                        std::pair{INT_MAX, static_cast<long>(INT_MAX)}}) {
        SCOPED_TRACE(given);
        const OpenFacade open(Definition(1), given);
        ASSERT_NE(open.handle, 0U);
        EXPECT_EQ(transports.probe().lastRetryCount, passed);
    }
}

struct CreationFailureCase {
    const char* name;
    std::function<void()> fail;
    std::string message;
    const char* type;
    // Null where the caller's own fields are to stay.
    const char* file;
    int32_t line;
    const char* function;
};

TEST(ProtocolFacadeCreateTest, TurnsEveryKindOfFailureIntoTheRecordAndClosesTheTransport) {
    const std::vector<CreationFailureCase> cases = {
        {"library exception",
         [] { throw TavTransport::TransportException("Unable to connect", "UsbHidTransport", 120, "init"); },
         "Unable to connect", "ElvarinException", "UsbHidTransport", 120, "init"},
        {"runtime error", [] { throw std::runtime_error("x"); }, "Failed to create protocol instance: x",
         "StdRuntimeError", nullptr, 0, nullptr},
        {"other standard exception", [] { throw std::logic_error("y"); }, "Failed to create protocol instance: y",
         "StdException", nullptr, 0, nullptr},
        {"anything else", [] { throw 7; },
         "Failed to create protocol instance: Unknown exception (not derived from std::exception)", "UnknownException",
         nullptr, 0, nullptr},
        {"text longer than the record", [] { throw std::runtime_error(std::string(3000, 't')); },
         ("Failed to create protocol instance: " + std::string(3000, 't')).substr(0, 2047), "StdRuntimeError", nullptr,
         0, nullptr},
    };
    for (const CreationFailureCase& failure : cases) {
        SCOPED_TRACE(failure.name);
        auto probe = std::make_shared<TavTest::TransportProbe>();
        probe->onInit = [&failure](uint32_t) { failure.fail(); };
        const TavTest::ScopedProbeTransports transports(probe);

        ProtocolCommandResult record = CallerRecord();
        EXPECT_EQ(ProtocolFacade::CreateInstance(Definition(1), 0, &record), 0U);
        EXPECT_TRUE(record.HasException);
        EXPECT_EQ(record.Message, failure.message);
        EXPECT_STREQ(record.ExceptionType, failure.type);
        EXPECT_STREQ(record.File, failure.file != nullptr ? failure.file : "caller file");
        EXPECT_EQ(record.Line, failure.file != nullptr ? failure.line : 4242);
        EXPECT_STREQ(record.Function, failure.function != nullptr ? failure.function : "caller function");
        EXPECT_EQ(probe->destroyed.load(), 1);

        EXPECT_EQ(ProtocolFacade::CreateInstance(Definition(1), 0, nullptr), 0U);
        EXPECT_EQ(probe->destroyed.load(), 2);
    }
}

TEST(ProtocolFacadeRegistryTest, UnknownZeroAndDestroyedHandlesFindNothing) {
    TavTest::ScopedProbeTransports transports;
    EXPECT_EQ(ProtocolFacade::GetInstance(0), nullptr);
    ProtocolFacade::DestroyInstance(0);

    const ProtocolHandle handle = ProtocolFacade::CreateInstance(Definition(1), 0, nullptr);
    ASSERT_NE(handle, 0U);
    const ProtocolHandle other = ProtocolFacade::CreateInstance(Definition(3), 0, nullptr);
    ASSERT_NE(other, 0U);
    const ProtocolHandle neverIssued = ~ProtocolHandle{0};
    EXPECT_EQ(ProtocolFacade::GetInstance(neverIssued), nullptr);
    ProtocolFacade::DestroyInstance(neverIssued);

    ProtocolFacade::DestroyInstance(handle);
    EXPECT_EQ(ProtocolFacade::GetInstance(handle), nullptr);
    EXPECT_NE(ProtocolFacade::GetInstance(other), nullptr) << "destroying one reader leaves the others";
    ProtocolFacade::DestroyInstance(other);
    EXPECT_EQ(transports.probe().destroyed, 2);
}

TEST(ProtocolFacadeOperationTest, RawTransportOperationsReachTheTransport) {
    TavTest::ScopedProbeTransports transports;
    const OpenFacade open(Definition(1));
    ASSERT_NE(open.handle, 0U);

    TavTransport::TransportPayload payload{{0x8E, 0, 0, 0, 0, 0, 0, 0}, 8, TavTransport::ReportType::Feature};
    EXPECT_TRUE(IsAllZero(open.facade().Transmit(payload)));
    ASSERT_EQ(transports.probe().transmitted.size(), 1U);
    EXPECT_EQ(transports.probe().transmitted[0], payload.data);

    TavTransport::TransportPayload reply{{1, 2, 3}, 5, TavTransport::ReportType::Feature};
    EXPECT_TRUE(IsAllZero(open.facade().Receive(reply)));
    EXPECT_EQ(reply.data, std::vector<uint8_t>(5, 0xA5));
}

TEST(ProtocolFacadeOperationTest, ATransportFailureIsRecordedAndTheFacadeStaysUsable) {
    auto probe = std::make_shared<TavTest::TransportProbe>();
    auto failures = std::make_shared<int>(1);
    probe->onTransmit = [failures] {
        if ((*failures)-- > 0) {
            throw TavTransport::TransportException("Failed to send feature report", "UsbHidTransport", 301, "transmit");
        }
    };
    const TavTest::ScopedProbeTransports transports(probe);
    const OpenFacade open(Definition(1));
    ASSERT_NE(open.handle, 0U);

    TavTransport::TransportPayload payload{{0x8E}, 1, TavTransport::ReportType::Feature};
    const ProtocolCommandResult failed = open.facade().Transmit(payload);
    EXPECT_TRUE(failed.HasException);
    EXPECT_STREQ(failed.Message, "Failed to send feature report");
    EXPECT_STREQ(failed.ExceptionType, "ElvarinException");
    EXPECT_STREQ(failed.File, "UsbHidTransport");
    EXPECT_EQ(failed.Line, 301);
    EXPECT_STREQ(failed.Function, "transmit");

    EXPECT_TRUE(IsAllZero(open.facade().Transmit(payload)));
}

TEST(ProtocolFacadeOperationTest, DeviceIdIsTheTransportsDefinitionCutToItsFields) {
    TavTest::ScopedProbeTransports transports;
    TavCommon::ReaderDefinition definition = Definition(1);
    std::memset(definition.UsbPath, 'p', sizeof definition.UsbPath);
    std::memset(definition.SerialNumber, 's', sizeof definition.SerialNumber);
    const OpenFacade open(definition);
    ASSERT_NE(open.handle, 0U);

    TavCommon::DeviceId id;
    std::memset(&id, 0x77, sizeof id);
    EXPECT_TRUE(IsAllZero(open.facade().GetDeviceId(id)));
    const uint16_t vendorId = id.VendorId;  // the record is packed
    const uint16_t productId = id.ProductId;
    EXPECT_EQ(vendorId, 0x5E17);
    EXPECT_EQ(productId, 0x0101);
    EXPECT_EQ(std::string(id.UsbPath), std::string(511, 'p'));
    EXPECT_EQ(std::string(id.SerialNumber), std::string(255, 's'));
}

struct CheckedCase {
    const char* name;
    std::function<void()> work;
    const char* type;
    std::string message;
    const char* file;
    int32_t line;
    const char* function;
};

const std::string kForeign = "Unknown exception occurred within C++ code. This is not an Elvarin exception. Message: '";

TEST(RunCheckedFacadeFunctionTest, FillsTheRecordByTheFirstMatchingKind) {
    const std::vector<CheckedCase> cases = {
        // The library's exceptions derive from std::runtime_error: they must be caught first.
        {"protocol exception",
         [] { throw TavProtocol::ProtocolException("Size parameter", "GetCardDataVisitor", 31, "ValidateArguments"); },
         "ElvarinException", "Size parameter", "GetCardDataVisitor", 31, "ValidateArguments"},
        {"transport exception",
         [] { throw TavTransport::TransportException("gone", "SerialTransport", 88, "receive"); }, "ElvarinException",
         "gone", "SerialTransport", 88, "receive"},
        {"runtime error", [] { throw std::runtime_error("x"); }, "StdRuntimeError", kForeign + "x'", "Unknown", -1,
         "Unknown"},
        {"logic error", [] { throw std::invalid_argument("bad"); }, "StdException", kForeign + "bad'", "Unknown", -1,
         "Unknown"},
        {"empty work", std::function<void()>(), "StdException", kForeign + "bad_function_call'", "Unknown", -1,
         "Unknown"},
        {"anything else", [] { throw 42; }, "UnknownException",
         "Unknown exception occurred within C++ code. Exception does not derive from std::exception", "Unknown", -1,
         "Unknown"},
    };
    for (const CheckedCase& check : cases) {
        SCOPED_TRACE(check.name);
        const ProtocolCommandResult record = TavProtocol::RunCheckedFacadeFunction(check.work);
        EXPECT_TRUE(record.HasException);
        EXPECT_STREQ(record.ExceptionType, check.type);
        EXPECT_EQ(record.Message, check.message);
        EXPECT_STREQ(record.File, check.file);
        EXPECT_EQ(record.Line, check.line);
        EXPECT_STREQ(record.Function, check.function);
    }
}

TEST(RunCheckedFacadeFunctionTest, SuccessIsAnAllZeroRecordAndLongTextsAreCut) {
    bool ran = false;
    EXPECT_TRUE(IsAllZero(TavProtocol::RunCheckedFacadeFunction([&ran] { ran = true; })));
    EXPECT_TRUE(ran);

    const std::string longText(3000, 'm');
    const ProtocolCommandResult record = TavProtocol::RunCheckedFacadeFunction(
        [&] { throw TavProtocol::ProtocolException(longText, std::string(3000, 'f').c_str(), 1, "f"); });
    EXPECT_EQ(std::string(record.Message), longText.substr(0, 2047));
    EXPECT_EQ(std::string(record.File), std::string(2047, 'f'));

    const ProtocolCommandResult foreign =
        TavProtocol::RunCheckedFacadeFunction([&] { throw std::runtime_error(longText); });
    EXPECT_EQ(std::string(foreign.Message), (kForeign + longText).substr(0, 2047));
}

}  // namespace
