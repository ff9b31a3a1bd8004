#pragma once

#include <string>
#include <vector>

#include "Tavelin/ReaderConfigurationStruct.h"
#include "common/ExtendedConfiguration.h"
#include "files/HwgConfigurationRecord.h"
#include "files/HwgFileVersionInfo.h"

// Saves reader configurations, each with its extended configuration, to an HWG file. Every
// configuration is checked to read back as it is before anything is written; the text is then
// written whole to a temporary file and renamed over the target, so a failure leaves any old file
// as it was. Every failure is an ElvarinException naming the path or the configuration's index.
void WriteConfigurationToHwgFile(const std::vector<TavCommon::ReaderConfiguration>& configurations,
                                 const std::vector<TavCommon::ExtendedConfiguration>& extendedConfigurations,
                                 const std::string& path, const TavCommon::HwgFileVersionInfo& versions);

// Every configuration of an HWG file, in file order. A file that ends with the end marker is
// checked against its CRC-32 line first; nothing past the marker counts as configuration.
std::vector<TavCommon::HwgConfigurationRecord> ReadConfigurationFromHwgFile(const std::string& path);
