#include "serialBinary/GetConfigurationBlock5WithSerialBinaryProtocol.h"

#include "serialBinary/SerialBinaryConfigurationBlock.h"

namespace TavProtocol {

namespace {

constexpr int kBlock = 5;

}  // namespace

std::vector<uint8_t> GetConfigurationBlock5WithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return SerialBinaryConfigurationBlock::ReadFrame(kBlock);
}

void GetConfigurationBlock5WithSerialBinaryProtocol::ValidateResponse() {
    SerialBinaryConfigurationBlock::ValidateRead(responsePhrases_, commandPhrasesProduced_, kBlock, TAV_CHECK_SITE);
}

ReaderConfigurationBlock5 GetConfigurationBlock5WithSerialBinaryProtocol::GetResult() {
    return ReaderConfigurationBlock5::FromBytes(
        SerialBinaryConfigurationBlock::BlockBytes(responsePhrases_, kBlock, TAV_CHECK_SITE));
}

}  // namespace TavProtocol
