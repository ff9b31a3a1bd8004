// Which failed serial-binary operations tell the transport that a reply could not be read: those
// whose reply was too short, too long or echoed another request, never a refusal the command reads
// nor a failure before anything was sent. The serial transport lets its line go quiet after each.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "records/BEEP_DURATION.h"
#include "records/FirmwareVersionModuleType.h"
#include "records/GetStringIndex.h"
#include "support/SimulatedProtocolReader.h"
#include "visitors/BeepVisitor.h"
#include "visitors/GetControlFirmwareVersionVisitor.h"
#include "visitors/GetLuidVisitor.h"
#include "visitors/GetPartNumberVisitor.h"
#include "visitors/GetRadioFirmwareVersionVisitor.h"
#include "visitors/GetStringVisitor.h"
#include "visitors/GetSupportedCardsVisitor.h"

namespace {

using namespace TavProtocol;
using TavSim::Fault;
using TavSim::FaultTrigger;
using TavTest::CatchProtocolFailure;
using TavTest::SimulatedProtocolReader;
using TavTest::Wire;

struct Case {
    const char* name;
    std::vector<uint8_t> command;  // the faulted command's leading bytes
    Fault fault;
    std::function<std::unique_ptr<CommandVisitor>()> visitor;
    const char* message;
    bool unreadable;
};

template <typename Visitor, typename... Arguments>
std::function<std::unique_ptr<CommandVisitor>()> Make(Arguments... arguments) {
    return [=] { return std::make_unique<Visitor>(arguments...); };
}

const auto kModule = static_cast<FirmwareVersionModuleType>(1);

TEST(UnreadableReplies, OnlyRepliesThatCannotBeReadUnsettleTheLine) {
    const Case cases[] = {
        {"refused beep",
         {0xFA, 0x0C, 0x03},
         Fault::WrongStatusWord(0x6A82),
         Make<BeepVisitor>(1, BEEP_DURATION::Short),
         "Beep command received error response: CARD_NOT_FOUND",
         false},
        // The empty string's reply, 0C 00, becomes the status word alone.
        {"string refused",
         {0xFA, 0x0C, 0x04},
         Fault::WrongStatusWord(0x6B00),
         Make<GetStringVisitor>(static_cast<GetStringIndex>(4)),
         "Requested string is invalid - out of range for Get String command",
         false},
        {"beep refused before sending",
         {0xFA, 0x0C, 0x03},
         Fault::NoReply(),
         Make<BeepVisitor>(0, BEEP_DURATION::Short),
         "A count of 0 beeps does not make sense.",
         false},
        {"beep cut short",
         {0xFA, 0x0C, 0x03},
         Fault::ShortReply(1),
         Make<BeepVisitor>(1, BEEP_DURATION::Short),
         "Beep command response holds no status word.",
         true},
        {"LUID cut short",
         {0xFA, 0x05},
         Fault::ShortReply(9),
         Make<GetLuidVisitor>(),
         "Invalid ACK data received from reader after GetLuid command",
         true},
        {"part number too long",
         {0xFA, 0x0C, 0x01},
         Fault::TrailingBytes(2),
         Make<GetPartNumberVisitor>(),
         "Expected 1-byte ACK and an 8 byte part number in response phrase but received 11 bytes",
         true},
        {"control version of another module",
         {0xFA, 0x09, 0x03},
         Fault::CorruptByte(3, 0x02),
         Make<GetControlFirmwareVersionVisitor>(kModule),
         "Invalid response phrase",
         true},
        {"radio version of the control class",
         {0xFA, 0x09, 0x03},
         Fault::CorruptByte(2, 0x00),
         Make<GetRadioFirmwareVersionVisitor>(kModule),
         "Invalid response phrase",
         true},
        {"card page of another index",
         {0xFA, 0x09, 0x04},
         Fault::CorruptByte(2, 0x01),
         Make<GetSupportedCardsVisitor>(),
         "Invalid ACK data received from reader after GetSupportedCards command",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedProtocolReader reader(Wire::SerialBinary);
        reader.InjectFault(FaultTrigger::OnCommand(c.command), c.fault);
        const auto visitor = c.visitor();
        EXPECT_EQ(CatchProtocolFailure([&] { reader.Run(*visitor); }).message, c.message);
        EXPECT_EQ(reader.Transport().UnreadableReplies(), c.unreadable ? 1u : 0u);
    }
}

}  // namespace
