#include "serialBinary/SetConfigurationBlock5WithSerialBinaryProtocol.h"

#include "serialBinary/SerialBinaryConfigurationBlock.h"

namespace TavProtocol {

namespace {

constexpr int kBlock = 5;

}  // namespace

std::vector<uint8_t> SetConfigurationBlock5WithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return SerialBinaryConfigurationBlock::WriteFrame(kBlock, block_.ToBytes());
}

void SetConfigurationBlock5WithSerialBinaryProtocol::ValidateResponse() {
    SerialBinaryConfigurationBlock::ValidateWrite(responsePhrases_, commandPhrasesProduced_, kBlock, TAV_CHECK_SITE);
}

}  // namespace TavProtocol
