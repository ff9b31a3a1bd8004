#include "serialBinary/GetConfigurationBlock3WithSerialBinaryProtocol.h"

#include "serialBinary/SerialBinaryConfigurationBlock.h"

namespace TavProtocol {

namespace {

constexpr int kBlock = 3;

}  // namespace

std::vector<uint8_t> GetConfigurationBlock3WithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return SerialBinaryConfigurationBlock::ReadFrame(kBlock);
}

void GetConfigurationBlock3WithSerialBinaryProtocol::ValidateResponse() {
    SerialBinaryConfigurationBlock::ValidateRead(responsePhrases_, commandPhrasesProduced_, kBlock, TAV_CHECK_SITE);
}

ReaderConfigurationBlock3 GetConfigurationBlock3WithSerialBinaryProtocol::GetResult() {
    return ReaderConfigurationBlock3::FromBytes(
        SerialBinaryConfigurationBlock::BlockBytes(responsePhrases_, kBlock, TAV_CHECK_SITE));
}

}  // namespace TavProtocol
