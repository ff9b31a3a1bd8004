#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TavTest {

// One seed of a catalogue fuzzer: fuzz/corpus/<fuzzer>/<file>.
struct CatalogueFuzzSeed {
    std::string fuzzer;
    std::string file;  // the row's name; a facade operation's ends in _<protocol type>
    std::vector<uint8_t> bytes;
};

// The folders of fuzz/corpus that hold only these seeds.
std::vector<std::string> CatalogueFuzzers();

// A seed for every command of the command catalogue and for every facade operation on each
// protocol that has it: the row's name, argument 0, then the replies a simulated reader in use
// gave, each behind its length byte (CatalogueFuzzInput.h). Throws std::runtime_error when a
// reply is longer than a length byte holds.
std::vector<CatalogueFuzzSeed> CatalogueFuzzSeeds();

}  // namespace TavTest
