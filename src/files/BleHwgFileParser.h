#pragma once

#include <string>

#include "common/ReaderBleConfiguration.h"
#include "files/HwgFileVersionInfo.h"

// Saves one block of a reader's BLE data to a BLE HWG file: data type 1 as section
// "sFldBleData1", any other as "sFldBleData2"; with withTrailer, closed by the end marker and its
// CRC-32 line. The text is written whole to a temporary file and renamed over the target, so a
// failure leaves any old file as it was. Every failure is an ElvarinException.
void WriteBleConfigurationToBleHwgFile(const TavCommon::ReaderBleConfiguration& record, const std::string& path,
                                       const TavCommon::HwgFileVersionInfo& versions, bool withTrailer);

// The block of a BLE HWG file, of data type 1 or 2. A file that ends with the end marker is
// checked against its CRC-32 line first; its section must end with its END line.
TavCommon::ReaderBleConfiguration ReadBleConfigurationFromBleHwgFile(const std::string& path);
