#pragma once

#include <string>
#include <vector>

#include "common/SmartCardConfiguration.h"

// Reads a smart-card configuration file: blobs of three lines each (a line naming the blob, "hdr="
// with the five-byte blob header as four hexadecimal numbers, "data=" with the data bytes), then
// "[EOF]" and "iEndOfIniFile=" with the CRC-32 of every line before "[EOF]". The checksum is
// verified before any blob is read; blank lines between blobs are allowed, any other line is not.
// Every failure is an ElvarinException.
std::vector<TavCommon::SmartCardConfiguration> ReadConfigurationFromSmartCardIniFile(const std::string& path);
