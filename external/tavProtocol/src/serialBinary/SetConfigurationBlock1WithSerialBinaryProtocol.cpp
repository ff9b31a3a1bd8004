#include "serialBinary/SetConfigurationBlock1WithSerialBinaryProtocol.h"

#include "serialBinary/SerialBinaryConfigurationBlock.h"

namespace TavProtocol {

namespace {

constexpr int kBlock = 1;

}  // namespace

std::vector<uint8_t> SetConfigurationBlock1WithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return SerialBinaryConfigurationBlock::WriteFrame(kBlock, block_.ToBytes());
}

void SetConfigurationBlock1WithSerialBinaryProtocol::ValidateResponse() {
    SerialBinaryConfigurationBlock::ValidateWrite(responsePhrases_, commandPhrasesProduced_, kBlock, TAV_CHECK_SITE);
}

}  // namespace TavProtocol
