#pragma once

#include <cstddef>
#include <vector>

namespace TavTest {

// The file descriptors this process holds open, without the one that lists them, for tests that
// check nothing leaks.
std::vector<int> OpenDescriptors();

// How many there are.
std::size_t OpenDescriptorCount();

}  // namespace TavTest
