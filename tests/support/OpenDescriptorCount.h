#pragma once

#include <cstddef>

namespace TavTest {

// How many file descriptors this process holds open, for tests that check nothing leaks.
std::size_t OpenDescriptorCount();

}  // namespace TavTest
