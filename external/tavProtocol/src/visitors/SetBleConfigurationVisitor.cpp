#include "visitors/SetBleConfigurationVisitor.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "featureReport/SetBleConfigurationWithFeatureReportProtocol.h"

namespace TavProtocol {

namespace {

constexpr std::array<int8_t, 10> kTapInRssiLevels = {-30, -33, -36, -40, -46, -50, -53, -57, -61, -63};
constexpr std::array<int8_t, 8> kTxPowerLevels = {-40, -30, -20, -16, -12, -8, -4, 0};

template <std::size_t N>
bool IsOneOf(const std::array<int8_t, N>& levels, int8_t value) {
    return std::find(levels.begin(), levels.end(), value) != levels.end();
}

}  // namespace

void SetBleConfigurationVisitor::ValidateArguments() {
    if (!IsOneOf(kTapInRssiLevels, configuration_.TapInRssi)) {
        TAV_THROW(ProtocolException,
                  "Invalid TapInRssi value. Allowed values: -30, -33, -36, -40, -46, -50, -53, -57, -61, -63");
    }
    if (!IsOneOf(kTxPowerLevels, configuration_.TxPower)) {
        TAV_THROW(ProtocolException, "Invalid TxPower value. Allowed values: -40, -30, -20, -16, -12, -8, -4, 0");
    }
}

void SetBleConfigurationVisitor::Visit(FeatureReportProtocol&, TavTransport::Transport& transport) {
    ValidateArguments();
    SetBleConfigurationWithFeatureReportProtocol command(configuration_);
    command.Execute(transport);
    command.ValidateResponse();
}

void SetBleConfigurationVisitor::Visit(Mfp24Protocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "SetBleConfiguration is not supported for MFP24 protocol");
}

void SetBleConfigurationVisitor::Visit(SerialBinaryProtocol&, TavTransport::Transport&) {
    TAV_THROW(ProtocolException, "SetBleConfiguration is not supported for SerialBinary protocol");
}

}  // namespace TavProtocol
