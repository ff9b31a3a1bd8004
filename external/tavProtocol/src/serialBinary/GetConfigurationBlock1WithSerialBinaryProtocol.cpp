#include "serialBinary/GetConfigurationBlock1WithSerialBinaryProtocol.h"

#include "serialBinary/SerialBinaryConfigurationBlock.h"

namespace TavProtocol {

namespace {

constexpr int kBlock = 1;

}  // namespace

std::vector<uint8_t> GetConfigurationBlock1WithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return SerialBinaryConfigurationBlock::ReadFrame(kBlock);
}

void GetConfigurationBlock1WithSerialBinaryProtocol::ValidateResponse() {
    SerialBinaryConfigurationBlock::ValidateRead(responsePhrases_, commandPhrasesProduced_, kBlock, TAV_CHECK_SITE);
}

ReaderConfigurationBlock1 GetConfigurationBlock1WithSerialBinaryProtocol::GetResult() {
    return ReaderConfigurationBlock1::FromBytes(
        SerialBinaryConfigurationBlock::BlockBytes(responsePhrases_, kBlock, TAV_CHECK_SITE));
}

}  // namespace TavProtocol
