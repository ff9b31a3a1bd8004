#include "serialBinary/GetConfigurationBlock2WithSerialBinaryProtocol.h"

#include "serialBinary/SerialBinaryConfigurationBlock.h"

namespace TavProtocol {

namespace {

constexpr int kBlock = 2;

}  // namespace

std::vector<uint8_t> GetConfigurationBlock2WithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return SerialBinaryConfigurationBlock::ReadFrame(kBlock);
}

void GetConfigurationBlock2WithSerialBinaryProtocol::ValidateResponse() {
    SerialBinaryConfigurationBlock::ValidateRead(responsePhrases_, commandPhrasesProduced_, kBlock, TAV_CHECK_SITE);
}

ReaderConfigurationBlock2 GetConfigurationBlock2WithSerialBinaryProtocol::GetResult() {
    return ReaderConfigurationBlock2::FromBytes(
        SerialBinaryConfigurationBlock::BlockBytes(responsePhrases_, kBlock, TAV_CHECK_SITE));
}

}  // namespace TavProtocol
