#pragma once

// Hosts see this type too: it is defined with the public header.
#include "Tavelin/CardType.h"
