#pragma once

// Public interface of libTavelin: desktop card readers over USB HID and serial lines.

#include "Tavelin/CardData.h"
#include "Tavelin/ElvarinException.h"
#include "Tavelin/Export.h"
#include "Tavelin/LibraryInfo.h"
#include "Tavelin/ProtocolCommandResult.h"
#include "Tavelin/ReaderConfigurationStruct.h"
#include "Tavelin/ReaderDefinition.h"
#include "Tavelin/ReaderMetadataStruct.h"
#include "Tavelin/ReaderException.h"
#include "Tavelin/TavCardType.h"
#include "Tavelin/TavResult.h"

extern "C" {

// Fills the caller's record with this library's build information and returns it.
TAV_API Tav::LibraryInfo* Tav_BuildLibraryInfo(Tav::LibraryInfo* info);
}
