#include "facade/ProtocolFactory.h"

#include <gtest/gtest.h>

#include <string>

#include "core/ProtocolException.h"
#include "featureReport/FeatureReportProtocol.h"
#include "mfp24/Mfp24Protocol.h"
#include "serialBinary/SerialBinaryProtocol.h"

namespace {

using TavProtocol::ProtocolFactory;

TEST(ProtocolFactoryTest, PicksTheProtocolClassOfTheType) {
    EXPECT_NE(dynamic_cast<TavProtocol::FeatureReportProtocol*>(ProtocolFactory::GetProtocol(1).get()), nullptr);
    EXPECT_NE(dynamic_cast<TavProtocol::Mfp24Protocol*>(ProtocolFactory::GetProtocol(2).get()), nullptr);
    EXPECT_NE(dynamic_cast<TavProtocol::SerialBinaryProtocol*>(ProtocolFactory::GetProtocol(3).get()), nullptr);
}

TEST(ProtocolFactoryTest, RefusesEveryOtherTypeByName) {
    const std::pair<uint8_t, const char*> cases[] = {
        {0, "Invalid"}, {254, "Dummy"}, {255, "UnknownProtocol"}, {4, "Unknown"}, {7, "Unknown"}};
    for (const auto& [type, name] : cases) {
        SCOPED_TRACE(name);
        try {
            ProtocolFactory::GetProtocol(type);
            ADD_FAILURE() << "no exception";
        } catch (const TavProtocol::ProtocolException& error) {
            EXPECT_EQ(error.Message(),
                      std::string("Unable to initialize an underlying protocol object given invalid type ") + name);
            EXPECT_EQ(error.File(), "ProtocolFactory");
            EXPECT_EQ(error.Line(), 36);
            EXPECT_EQ(error.Function(), "GetProtocol");
        }
    }
}

}  // namespace
