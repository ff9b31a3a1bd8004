#include "serialBinary/SetConfigurationBlock4WithSerialBinaryProtocol.h"

#include "serialBinary/SerialBinaryConfigurationBlock.h"

namespace TavProtocol {

namespace {

constexpr int kBlock = 4;

}  // namespace

std::vector<uint8_t> SetConfigurationBlock4WithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return SerialBinaryConfigurationBlock::WriteFrame(kBlock, block_.ToBytes());
}

void SetConfigurationBlock4WithSerialBinaryProtocol::ValidateResponse() {
    SerialBinaryConfigurationBlock::ValidateWrite(responsePhrases_, commandPhrasesProduced_, kBlock, TAV_CHECK_SITE);
}

}  // namespace TavProtocol
