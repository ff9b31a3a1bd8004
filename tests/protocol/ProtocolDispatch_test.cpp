// Each protocol object hands a visitor to the Visit for its own class, with itself and the
// transport, and lets whatever the visitor throws pass.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

#include "core/CommandVisitor.h"
#include "featureReport/FeatureReportProtocol.h"
#include "mfp24/Mfp24Protocol.h"
#include "serialBinary/SerialBinaryProtocol.h"
#include "support/ChildProcess.h"
#include "support/ScriptedTransport.h"

namespace {

using testing::Ref;
using testing::StrictMock;
using testing::Throw;

class MockVisitor : public TavProtocol::CommandVisitor {
public:
    MOCK_METHOD(void, ValidateArguments, (), (override));
    MOCK_METHOD(void, Visit, (TavProtocol::FeatureReportProtocol&, TavTransport::Transport&), (override));
    MOCK_METHOD(void, Visit, (TavProtocol::Mfp24Protocol&, TavTransport::Transport&), (override));
    MOCK_METHOD(void, Visit, (TavProtocol::SerialBinaryProtocol&, TavTransport::Transport&), (override));
};

template <typename ProtocolClass>
void ExpectDispatchToOwnOverload(const char* name) {
    SCOPED_TRACE(name);
    ProtocolClass protocol;
    TavProtocol::Protocol& asBase = protocol;
    TavTest::ScriptedTransport transport;
    StrictMock<MockVisitor> visitor;

    EXPECT_CALL(visitor, Visit(testing::Matcher<ProtocolClass&>(Ref(protocol)), Ref(transport)));
    asBase.Accept(visitor, transport);

    EXPECT_CALL(visitor, Visit(testing::Matcher<ProtocolClass&>(Ref(protocol)), Ref(transport)))
        .WillOnce(Throw(std::runtime_error("refused")));
    EXPECT_THROW(asBase.Accept(visitor, transport), std::runtime_error);
    EXPECT_TRUE(transport.Calls().empty());
}

TEST(ProtocolDispatchTest, EachProtocolCallsTheVisitForItsOwnClass) {
    ExpectDispatchToOwnOverload<TavProtocol::FeatureReportProtocol>("FeatureReportProtocol");
    ExpectDispatchToOwnOverload<TavProtocol::Mfp24Protocol>("Mfp24Protocol");
    ExpectDispatchToOwnOverload<TavProtocol::SerialBinaryProtocol>("SerialBinaryProtocol");
}

TEST(ProtocolDispatchTest, DestroyingAProtocolLogsItsName) {
    const auto logLines = [](const char* level) {
        return TavTest::LogLines(
            TavTest::RunChild(TavTest::TestProgram("protocol_lifetime_probe"), {}, {{"TAV_PROTOCOL_LOG_LEVEL", level}})
                .out);
    };
    EXPECT_THAT(logLines("trace"), testing::ElementsAre("[trace] [PROTOCOL] Deconstructing FeatureReportProtocol",
                                                        "[trace] [PROTOCOL] Deconstructing Mfp24Protocol",
                                                        "[trace] [PROTOCOL] Deconstructing SerialBinaryProtocol"));
    EXPECT_THAT(logLines("debug"), testing::IsEmpty());
}

TEST(PropertyRangeCheckTest, BoundsAreInclusiveAndTheMessageNamesProperty) {
    using TavProtocol::ThrowProtocolExceptionForPropertyOutOfRange;
    EXPECT_NO_THROW(ThrowProtocolExceptionForPropertyOutOfRange("ReaderConfigurationBlock1::FacDigitCount", 0, 0, 5));
    EXPECT_NO_THROW(ThrowProtocolExceptionForPropertyOutOfRange("ReaderConfigurationBlock1::FacDigitCount", 5, 0, 5));
    struct Case {
        int value;
        int minimum;
        int maximum;
        const char* message;
    };
    const Case cases[] = {
        {-1, 0, 5, "ReaderConfigurationBlock1::FacDigitCount setting must be between 0 and 5 inclusive"},
        {6, 0, 5, "ReaderConfigurationBlock1::FacDigitCount setting must be between 0 and 5 inclusive"},
        {-41, -40, 0, "ReaderConfigurationBlock1::FacDigitCount setting must be between -40 and 0 inclusive"},
    };
    for (const Case& c : cases) {
        try {
            ThrowProtocolExceptionForPropertyOutOfRange("ReaderConfigurationBlock1::FacDigitCount", c.value, c.minimum,
                                                        c.maximum);
            ADD_FAILURE() << c.value << " passed";
        } catch (const TavProtocol::ProtocolException& error) {
            EXPECT_STREQ(error.what(), c.message);
            EXPECT_EQ(error.File(), "CommandVisitor");
            EXPECT_EQ(error.Function(), "ThrowProtocolExceptionForPropertyOutOfRange");
        }
    }
}

}  // namespace
