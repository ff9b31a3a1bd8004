#include "serialBinary/SetConfigurationBlock3WithSerialBinaryProtocol.h"

#include "serialBinary/SerialBinaryConfigurationBlock.h"

namespace TavProtocol {

namespace {

constexpr int kBlock = 3;

}  // namespace

std::vector<uint8_t> SetConfigurationBlock3WithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return SerialBinaryConfigurationBlock::WriteFrame(kBlock, block_.ToBytes());
}

void SetConfigurationBlock3WithSerialBinaryProtocol::ValidateResponse() {
    SerialBinaryConfigurationBlock::ValidateWrite(responsePhrases_, commandPhrasesProduced_, kBlock, TAV_CHECK_SITE);
}

}  // namespace TavProtocol
