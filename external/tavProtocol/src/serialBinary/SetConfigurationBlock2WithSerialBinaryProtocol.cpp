#include "serialBinary/SetConfigurationBlock2WithSerialBinaryProtocol.h"

#include "serialBinary/SerialBinaryConfigurationBlock.h"

namespace TavProtocol {

namespace {

constexpr int kBlock = 2;

}  // namespace

std::vector<uint8_t> SetConfigurationBlock2WithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return SerialBinaryConfigurationBlock::WriteFrame(kBlock, block_.ToBytes());
}

void SetConfigurationBlock2WithSerialBinaryProtocol::ValidateResponse() {
    SerialBinaryConfigurationBlock::ValidateWrite(responsePhrases_, commandPhrasesProduced_, kBlock, TAV_CHECK_SITE);
}

}  // namespace TavProtocol
