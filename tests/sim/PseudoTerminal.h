#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TavTest {

// A pseudo-terminal pair standing in for a serial line: the test (or the simulated reader) holds
// the master, the code under test opens the slave by its name as it would /dev/ttyUSB0.
//
// A slave descriptor of its own stays open for the pair's life, so the line keeps its settings
// and the master never sees a hang-up while the code under test reopens the slave.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlaveName() const { return slaveName_; }
    int MasterFd() const { return master_; }

    // Writes all bytes to the master: the slave reads them.
    void Write(const std::vector<uint8_t>& bytes) const;
    // Whatever the slave wrote, waiting up to timeoutMs for the first byte and then until the
    // line has been quiet for quietMs.
    std::vector<uint8_t> Read(int timeoutMs, int quietMs = 5) const;
    // Waits until the slave side holds `count` unread bytes: the kernel delivers what the master
    // writes a moment later, not within the write.
    bool WaitUntilDelivered(int count, int timeoutMs = 1000) const;
    // Closes the master: every slave descriptor is hung up, as when a USB serial adapter is
    // pulled out.
    void CloseMaster();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slaveName_;
};

}  // namespace TavTest
