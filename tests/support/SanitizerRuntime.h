#pragma once

#include <string>

namespace TavTest {

// The sanitizer runtime loaded into this process (libasan or libtsan), or empty. A process that
// preloads libraries into a child must name it first in LD_PRELOAD: the runtime insists on it.
std::string SanitizerRuntime();

}  // namespace TavTest
