#pragma once

#include <cstdint>
#include <vector>

#include "core/CheckSite.h"

// What the serial-binary reads and writes of configuration blocks 1 to 5 share: their frames and
// their checks. Each block's command classes call these with their own check site, so a failure
// names the command.
namespace TavProtocol::SerialBinaryConfigurationBlock {

// FA 01 (N - 1) 00 08.
std::vector<uint8_t> ReadFrame(int block);
// FA 81 (N - 1) 00 08, then the block's eight bytes.
std::vector<uint8_t> WriteFrame(int block, const std::vector<uint8_t>& encoded);

// A read is answered 01, the eight block bytes, 90 00.
void ValidateRead(const std::vector<std::vector<uint8_t>>& replies, int32_t phrasesProduced, int block, CheckSite site);
// The eight block bytes of a validated read.
std::vector<uint8_t> BlockBytes(const std::vector<std::vector<uint8_t>>& replies, int block, CheckSite site);
// A write is answered 81 90 00.
void ValidateWrite(const std::vector<std::vector<uint8_t>>& replies, int32_t phrasesProduced, int block,
                   CheckSite site);

}  // namespace TavProtocol::SerialBinaryConfigurationBlock
