// Makes and destroys one protocol object of each class, through the base, for their log lines.
#include <memory>

#include "featureReport/FeatureReportProtocol.h"
#include "mfp24/Mfp24Protocol.h"
#include "serialBinary/SerialBinaryProtocol.h"

int main() {
    std::unique_ptr<TavProtocol::Protocol> protocol = std::make_unique<TavProtocol::FeatureReportProtocol>();
    protocol = std::make_unique<TavProtocol::Mfp24Protocol>();
    protocol = std::make_unique<TavProtocol::SerialBinaryProtocol>();
    protocol.reset();
    return 0;
}
