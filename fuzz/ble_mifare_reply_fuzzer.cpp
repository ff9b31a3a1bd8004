// Any replies to the BLE blob engine, the BLE settings and the MIFARE writer are checked or decoded
// without reading past them; retries and polls stay within their bounds.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "FuzzReplyTransport.h"
#include "featureReport/GetBleBlobWithFeatureReportProtocol.h"
#include "featureReport/GetBleConfigurationWithFeatureReportProtocol.h"
#include "featureReport/GetMifareWriterStatusWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterChangeKeyWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterCreateAidWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterCreateFileWithFeatureReportProtocol.h"
#include "featureReport/MifareWriterFormatCardWithFeatureReportProtocol.h"
#include "core/ProtocolException.h"
#include "featureReport/SetBleBlobWithFeatureReportProtocol.h"
#include "featureReport/SetBleConfigurationWithFeatureReportProtocol.h"

namespace {

using TavFuzz::Run;

const auto kNothing = [](const auto&) {};
const auto kResult = [](const auto& command) { command.GetResult(); };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using TavCommon::BleDataType;
    TavFuzz::FuzzReplyTransport transport(std::span<const uint8_t>(data, size), 8);
    Run(TavProtocol::GetBleBlobWithFeatureReportProtocol(BleDataType::Data, 10, 3, std::make_unique<TavFuzz::NoWait>()),
        transport, kResult);
    Run(TavProtocol::SetBleBlobWithFeatureReportProtocol(BleDataType::Key, std::vector<uint8_t>(128), 10, 3,
                                                         std::make_unique<TavFuzz::NoWait>()),
        transport, kNothing);
    Run(TavProtocol::GetBleConfigurationWithFeatureReportProtocol(), transport, kResult);
    Run(TavProtocol::SetBleConfigurationWithFeatureReportProtocol({}), transport, kNothing);
    Run(TavProtocol::GetMifareWriterStatusWithFeatureReportProtocol(), transport, kResult);
    Run(TavProtocol::MifareWriterCreateAidWithFeatureReportProtocol({}), transport, kNothing);
    Run(TavProtocol::MifareWriterChangeKeyWithFeatureReportProtocol({}), transport, kNothing);
    Run(TavProtocol::MifareWriterCreateFileWithFeatureReportProtocol({}), transport, kNothing);
    Run(TavProtocol::MifareWriterFormatCardWithFeatureReportProtocol(), transport, kNothing);
    return 0;
}
