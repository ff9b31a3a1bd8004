#include "common/ReaderDefinitionText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "support/FixedField.h"

namespace {

using TavCommon::ReaderDefinition;

ReaderDefinition Mfp24Definition() {
    ReaderDefinition definition;
    std::memset(&definition, 0, sizeof definition);
    definition.VendorId = 0x12AB;
    definition.ProductId = 0x00CD;
    definition.ProtocolType = 2;
    return definition;
}

const std::string kSettingsZero =
    "PortName: , BaudRate: Invalid, Parity: None, FlowControl: None, DataBits: Invalid, StopBits: None";

struct TextCase {
    const char* name;
    std::function<void(ReaderDefinition&)> change;
    std::string expected;
};

const TextCase kTextCases[] = {
    {"all zero settings", [](ReaderDefinition&) {},
     "DeviceId: {VendorId: 0x12AB, ProductId: 0x00CD, UsbPath: , SerialNumber: }, ProtocolType: Mfp24, "
     "SerialPortSettings: {" +
         kSettingsZero + "}"},
    {"serial reader",
     [](ReaderDefinition& d) {
         d.VendorId = 0xABCD;
         d.ProductId = 0xEF01;
         d.ProtocolType = 3;
         d.SerialPortSettings.BaudRate = 115200;
         d.SerialPortSettings.Parity = 2;
         d.SerialPortSettings.FlowControl = 5;
         d.SerialPortSettings.DataBits = 4;
         d.SerialPortSettings.StopBits = 3;
         std::strcpy(d.SerialPortSettings.PortName, "/dev/ttyUSB0");
         std::strcpy(d.UsbPath, "1-2.3");
         std::strcpy(d.SerialNumber, "SN{0}");
     },
     "DeviceId: {VendorId: 0xABCD, ProductId: 0xEF01, UsbPath: 1-2.3, SerialNumber: SN{0}}, ProtocolType: "
     "SerialBinary, SerialPortSettings: {PortName: /dev/ttyUSB0, BaudRate: 115200, Parity: Even, FlowControl: "
     "XonXoffDtrDsr, DataBits: 8, StopBits: OnePointFive}"},
    {"values outside the lists",
     [](ReaderDefinition& d) {
         d.ProtocolType = 200;
         d.SerialPortSettings.BaudRate = 38400;
         d.SerialPortSettings.Parity = 5;
         d.SerialPortSettings.FlowControl = 6;
         d.SerialPortSettings.DataBits = 5;
         d.SerialPortSettings.StopBits = 4;
     },
     "DeviceId: {VendorId: 0x12AB, ProductId: 0x00CD, UsbPath: , SerialNumber: }, ProtocolType: Unknown, "
     "SerialPortSettings: {PortName: , BaudRate: Unknown, Parity: Unknown, FlowControl: Unknown, DataBits: Unknown, "
     "StopBits: Unknown}"},
    {"unknown protocol and dummy", [](ReaderDefinition& d) { d.ProtocolType = 255; },
     "DeviceId: {VendorId: 0x12AB, ProductId: 0x00CD, UsbPath: , SerialNumber: }, ProtocolType: UnknownProtocol, "
     "SerialPortSettings: {" +
         kSettingsZero + "}"},
};

TEST(ReaderDefinitionTextTest, TextForms) {
    for (const TextCase& c : kTextCases) {
        ReaderDefinition definition = Mfp24Definition();
        c.change(definition);
        EXPECT_EQ(TavCommon::FormatReaderDefinition(definition), c.expected) << c.name;
    }
}

TEST(ReaderDefinitionTextTest, EnumerationTexts) {
    EXPECT_STREQ(TavCommon::ProtocolTypeText(0), "Invalid");
    EXPECT_STREQ(TavCommon::ProtocolTypeText(1), "FeatureReport");
    EXPECT_STREQ(TavCommon::ProtocolTypeText(254), "Dummy");
    EXPECT_STREQ(TavCommon::ProtocolTypeText(4), "Unknown");
    for (const uint32_t rate : {9600u, 14400u, 19200u, 32400u, 57600u, 115200u, 230400u, 576000u, 921600u}) {
        EXPECT_EQ(TavCommon::BaudRateText(rate), std::to_string(rate));
    }
    EXPECT_EQ(TavCommon::BaudRateText(0), "Invalid");
    EXPECT_EQ(TavCommon::BaudRateText(460800), "Unknown");
    EXPECT_STREQ(TavCommon::DataBitsText(1), "5");
    EXPECT_STREQ(TavCommon::StopBitsText(1), "One");
    EXPECT_STREQ(TavCommon::FlowControlText(2), "RtsCts");
    EXPECT_STREQ(TavCommon::ParityText(4), "Space");
}

// A host may fill every text field to its last byte; nothing may be read beyond the field, and
// the text is cut at the formatting buffers' sizes.
TEST(ReaderDefinitionTextTest, FieldsWithoutNulAreReadWithinTheirSize) {
    ReaderDefinition definition = Mfp24Definition();
    std::memset(definition.UsbPath, 'u', sizeof definition.UsbPath);
    std::memset(definition.SerialNumber, 's', sizeof definition.SerialNumber);
    std::memset(definition.SerialPortSettings.PortName, 'p', sizeof definition.SerialPortSettings.PortName);
    definition.SerialPortSettings.BaudRate = 9600;

    // The settings text is cut at its 256-byte buffer, the whole text at its 1024-byte one.
    const std::string settings = ("PortName: " + std::string(256, 'p')).substr(0, 255);
    const auto text = TavCommon::FormatReaderDefinition(definition);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text,
              ("DeviceId: {VendorId: 0x12AB, ProductId: 0x00CD, UsbPath: " + std::string(512, 'u') +
               ", SerialNumber: " + std::string(256, 's') + "}, ProtocolType: Mfp24, SerialPortSettings: {" + settings)
                  .substr(0, 1023));

    std::memset(definition.UsbPath, 0, sizeof definition.UsbPath);
    std::memset(definition.SerialNumber, 0, sizeof definition.SerialNumber);
    EXPECT_EQ(TavCommon::FormatReaderDefinition(definition),
              "DeviceId: {VendorId: 0x12AB, ProductId: 0x00CD, UsbPath: , SerialNumber: }, ProtocolType: Mfp24, "
              "SerialPortSettings: {" +
                  settings + "}");
}

TEST(ReaderDefinitionTextTest, UsbDefinitionIsZeroedAndCutToItsFields) {
    const auto definition =
        TavCommon::MakeUsbReaderDefinition(0x1234, 0x5678, std::string(600, 'x'), std::string(300, 'n'));
    EXPECT_EQ(uint16_t{definition.VendorId}, 0x1234);
    EXPECT_EQ(uint16_t{definition.ProductId}, 0x5678);
    EXPECT_TRUE(TavTest::HoldsPaddedText(definition.UsbPath, std::string(511, 'x')));
    EXPECT_TRUE(TavTest::HoldsPaddedText(definition.SerialNumber, std::string(255, 'n')));
    EXPECT_EQ(definition.ProtocolType, 1);
    const auto* settings = reinterpret_cast<const unsigned char*>(&definition.SerialPortSettings);
    for (std::size_t i = 0; i < sizeof definition.SerialPortSettings; ++i) {
        ASSERT_EQ(settings[i], 0) << "settings byte " << i;
    }
}

}  // namespace
