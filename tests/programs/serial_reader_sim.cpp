// Serves a simulated serial-binary reader on a pseudo-terminal and prints the slave's name, so
// that a person, an example or a test in another process can open it as a serial reader
// (protocol type 3, any baud rate). Runs until SIGINT, SIGTERM or SIGHUP.
//
//   serial_reader_sim [--luid N] [--reply-ms N]
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/SerialBinaryFrontEnd.h"
#include "sim/SerialLineServer.h"
#include "sim/SimulatedReader.h"

namespace {

bool ParseNumber(const char* text, unsigned long& value) {
    char* end = nullptr;
    value = std::strtoul(text, &end, 0);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    unsigned long luid = 0;
    unsigned long replyMs = TavSim::SerialLineServer::kDefaultReplyTime.count();
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--luid") == 0 && hasValue && ParseNumber(argv[i + 1], luid) && luid <= 0xFFFF) {
            ++i;
        } else if (std::strcmp(argv[i], "--reply-ms") == 0 && hasValue && ParseNumber(argv[i + 1], replyMs)) {
            ++i;
        } else {
            std::fprintf(stderr, "usage: %s [--luid N] [--reply-ms N]\n", argv[0]);
            return 2;
        }
    }

    // The serving thread inherits the mask, so only sigwait below sees these signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    TavSim::SimulatedReader reader;
    reader.Model()->luid = static_cast<uint16_t>(luid);
    TavSim::SerialBinaryFrontEnd frontEnd(reader);
    TavSim::SerialLineServer line(frontEnd, std::chrono::milliseconds(replyMs));
    std::printf("%s\n", line.SlaveName().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    return 0;
}
