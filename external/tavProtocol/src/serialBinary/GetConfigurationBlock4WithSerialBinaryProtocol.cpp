#include "serialBinary/GetConfigurationBlock4WithSerialBinaryProtocol.h"

#include "serialBinary/SerialBinaryConfigurationBlock.h"

namespace TavProtocol {

namespace {

constexpr int kBlock = 4;

}  // namespace

std::vector<uint8_t> GetConfigurationBlock4WithSerialBinaryProtocol::NextCommandPhrase() {
    ++commandPhrasesProduced_;
    return SerialBinaryConfigurationBlock::ReadFrame(kBlock);
}

void GetConfigurationBlock4WithSerialBinaryProtocol::ValidateResponse() {
    SerialBinaryConfigurationBlock::ValidateRead(responsePhrases_, commandPhrasesProduced_, kBlock, TAV_CHECK_SITE);
}

ReaderConfigurationBlock4 GetConfigurationBlock4WithSerialBinaryProtocol::GetResult() {
    return ReaderConfigurationBlock4::FromBytes(
        SerialBinaryConfigurationBlock::BlockBytes(responsePhrases_, kBlock, TAV_CHECK_SITE));
}

}  // namespace TavProtocol
