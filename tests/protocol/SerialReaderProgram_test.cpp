// The simulated serial reader served from another process, opened by its slave's name.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "serialBinary/GetLuidWithSerialBinaryProtocol.h"
#include "sim/SerialDefinition.h"
#include "support/BackgroundProgram.h"
#include "transport/TransportFactory.h"

namespace {

TEST(SerialReaderProgramTest, ServesAReaderThatTheTransportFactoryOpensByName) {
    TavTest::BackgroundProgram program(std::string(TAV_TEST_PROGRAM_DIR) + "/serial_reader_sim", {"--luid", "0x4321"});
    const std::optional<std::string> slave = program.ReadLine(5000);
    ASSERT_TRUE(slave.has_value());
    EXPECT_TRUE(slave->starts_with("/dev/pts/")) << *slave;

    const auto transport = TavTransport::TransportFactory::CreateTransport(TavTest::SerialDefinition(*slave, 115200));
    transport->init(0);
    transport->setReceiveDelayMs(10);
    TavProtocol::GetLuidWithSerialBinaryProtocol command;
    command.Execute(*transport);
    command.ValidateResponse();
    EXPECT_EQ(command.GetResult(), (TavProtocol::LuidResponseInformation{0x4321, 0x4321}));
    EXPECT_EQ(program.Terminate(), 0);
}

}  // namespace
