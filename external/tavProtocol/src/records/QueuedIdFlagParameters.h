#pragma once

// Hosts see this record too: it is defined with the public header.
#include "Tavelin/QueuedIdFlagParameters.h"
