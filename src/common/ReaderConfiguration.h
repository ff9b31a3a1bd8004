#pragma once

#include "common/ReaderConfigurationBlock1.h"
#include "common/ReaderConfigurationBlock2.h"
#include "common/ReaderConfigurationBlock3.h"
#include "common/ReaderConfigurationBlock4.h"
#include "common/ReaderConfigurationBlock5.h"

namespace TavProtocol {

// One reader configuration as the reader stores it: its five configuration blocks.
struct ReaderConfiguration {
    ReaderConfigurationBlock1 Block1;
    ReaderConfigurationBlock2 Block2;
    ReaderConfigurationBlock3 Block3;
    ReaderConfigurationBlock4 Block4;
    ReaderConfigurationBlock5 Block5;
};

}  // namespace TavProtocol
