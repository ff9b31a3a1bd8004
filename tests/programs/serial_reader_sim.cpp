// Serves a simulated serial-binary reader on a pseudo-terminal and prints the slave's name, so
// that a person, an example or a test in another process can open it as a serial reader
// (protocol type 3, any baud rate). Runs until SIGINT, SIGTERM or SIGHUP, or until the process
// that started it ends; the end of its input does not end it, since scripts start it with none.
//
//   serial_reader_sim [--luid N] [--reply-ms N] [--cycle-card-ms N] [--spoil-first-card]
//
// --cycle-card-ms N shows a 26-bit card for N ms, takes it away for N ms, and so on, for a host
// that waits for a card by callback. --spoil-first-card answers the first read of the first card
// presented on time but with the card's last byte changed, a fault that shows once: a host that
// reads again sees the right card. Standard input takes one command per line and answers each
// with a line, "ok" (or "error: ...") unless said otherwise:
//   present <bit count> <card bytes in hex>   the card lies on the reader
//   remove                                    no card
//   card-types <code in hex>...               the card types the reader reports it supports
//   late                                      the number of replies the host had stopped waiting
//                                             for (LateAnswers in SerialLineServer.h)
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
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

bool ParseHex(const std::string& text, std::vector<uint8_t>& bytes) {
    if (text.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned long value = 0;
        if (!ParseNumber(("0x" + text.substr(i, 2)).c_str(), value)) {
            return false;
        }
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return true;
}

void Show(TavSim::SimulatedReader& reader, const TavSim::PresentedCard& card) {
    auto model = reader.Model();
    model->presentedCards.assign(1, card);
}

void Remove(TavSim::SimulatedReader& reader) { reader.Model()->presentedCards.clear(); }

// The next card read is answered with the card's last byte inverted.
void SpoilNextRead(TavSim::SerialBinaryFrontEnd& frontEnd, const TavSim::PresentedCard& card) {
    constexpr std::size_t kFirstCardByte = 5;  // after the leading 00 and the four-byte header
    frontEnd.InjectFault(
        TavSim::FaultTrigger::OnCommand({0xFA, 0x00}),
        TavSim::Fault::CorruptByte(kFirstCardByte + card.data.size() - 1, static_cast<uint8_t>(~card.data.back())), 1);
}

// One command line; the answer line it gets. `spoilCard` is cleared once it has spoilt a read.
std::string Execute(TavSim::SerialBinaryFrontEnd& frontEnd, TavSim::SerialLineServer& line, bool& spoilCard,
                    const std::string& text) {
    TavSim::SimulatedReader& reader = frontEnd.Reader();
    std::istringstream words(text);
    std::string command;
    words >> command;
    if (command == "present") {
        unsigned long bitCount = 0;
        std::string hex;
        TavSim::PresentedCard card;
        if (!(words >> bitCount >> hex) || bitCount > 256 || !ParseHex(hex, card.data) ||
            card.data.size() != (bitCount + 7) / 8) {
            return "error: present <bit count> <card bytes in hex, (bit count + 7) / 8 of them>";
        }
        card.bitCount = static_cast<uint16_t>(bitCount);
        if (spoilCard && !card.data.empty()) {
            SpoilNextRead(frontEnd, card);
            spoilCard = false;
        }
        Show(reader, card);
        return "ok";
    }
    if (command == "remove") {
        Remove(reader);
        return "ok";
    }
    if (command == "card-types") {
        std::vector<uint16_t> codes;
        for (std::string hex; words >> hex;) {
            unsigned long code = 0;
            if (!ParseNumber(("0x" + hex).c_str(), code) || code > 0xFFFF) {
                return "error: card-types <code in hex>...";
            }
            codes.push_back(static_cast<uint16_t>(code));
        }
        reader.Model()->supportedCardTypes = codes;
        return "ok";
    }
    if (command == "late") {
        return std::to_string(line.LateAnswers());
    }
    return "error: unknown command '" + command + "'";
}

}  // namespace

int main(int argc, char** argv) {
    const pid_t parent = getppid();
    unsigned long luid = 0;
    unsigned long replyMs = TavSim::SerialLineServer::kDefaultReplyTime.count();
    unsigned long cycleMs = 0;
    bool spoilCard = false;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--luid") == 0 && hasValue && ParseNumber(argv[i + 1], luid) && luid <= 0xFFFF) {
            ++i;
        } else if (std::strcmp(argv[i], "--reply-ms") == 0 && hasValue && ParseNumber(argv[i + 1], replyMs)) {
            ++i;
        } else if (std::strcmp(argv[i], "--cycle-card-ms") == 0 && hasValue && ParseNumber(argv[i + 1], cycleMs) &&
                   cycleMs > 0 && cycleMs < 60000) {
            ++i;
        } else if (std::strcmp(argv[i], "--spoil-first-card") == 0) {
            spoilCard = true;
        } else {
            std::fprintf(stderr, "usage: %s [--luid N] [--reply-ms N] [--cycle-card-ms N] [--spoil-first-card]\n",
                         argv[0]);
            return 2;
        }
    }

    // The serving thread inherits the mask, so only the signal descriptor below sees these signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signals < 0) {
        std::perror("signalfd");
        return 1;
    }
    // A host that dies, of a crash or a kill, cannot stop its simulator: the kernel does. A parent
    // that ended before this took effect has already handed the process to another: end now.
    if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent) {
        return 1;
    }

    TavSim::SimulatedReader reader;
    reader.Model()->luid = static_cast<uint16_t>(luid);
    {
        // A reader with something to show: two card types of the library's catalogue, firmware
        // texts and versions, a 125 kHz radio installed.
        auto model = reader.Model();
        model->supportedCardTypes = {0x0206, 0x6F06};
        model->strings[3] = "1.02.0003";
        model->strings[6] = "Desktop Reader (simulated)";
        model->controlFirmware[0] = {0, {0x03, 0x00, 0x02, 0x01}};
        model->radioFirmware[0] = {0, {0x07, 0x00, 0x01, 0x00}};
        model->hardwareSupported = 0b101;  // SAM SE, RF 125
        model->hardwareInstalled = 0b100;  // RF 125
    }
    TavSim::SerialBinaryFrontEnd frontEnd(reader);
    TavSim::SerialLineServer line(frontEnd, std::chrono::milliseconds(replyMs));
    std::printf("%s\n", line.SlaveName().c_str());
    std::fflush(stdout);

    const TavSim::PresentedCard cycledCard{0x0001, 26, {0x02, 0x5A, 0x3C, 0x40}};
    bool cardShown = false;
    std::string input;
    bool inputOpen = true;
    for (;;) {
        // An ended input is left out: poll reports its hang-up whatever events are asked.
        pollfd watched[2] = {{signals, POLLIN, 0}, {inputOpen ? STDIN_FILENO : -1, POLLIN, 0}};
        const int ready = poll(watched, 2, cycleMs > 0 ? static_cast<int>(cycleMs) : -1);
        if (ready < 0 && errno != EINTR) {
            std::perror("poll");
            return 1;
        }
        if (watched[0].revents != 0) {
            return 0;
        }
        if (ready == 0) {
            cardShown = !cardShown;
            cardShown ? Show(reader, cycledCard) : Remove(reader);
            continue;
        }
        if (watched[1].revents != 0) {
            char buffer[512];
            const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (count <= 0) {
                inputOpen = false;  // a closed input leaves the reader serving
                continue;
            }
            input.append(buffer, static_cast<std::size_t>(count));
            for (auto end = input.find('\n'); end != std::string::npos; end = input.find('\n')) {
                const std::string answer = Execute(frontEnd, line, spoilCard, input.substr(0, end));
                input.erase(0, end + 1);
                std::printf("%s\n", answer.c_str());
                std::fflush(stdout);
            }
        }
    }
}
