// Feature-report bootloader, entered by the bootloader-mode command (F0). It answers in its own
// format: 01, a return code ('.' fine, 'E' stop reading replies, '2' bad check
// byte, '4' bad segment record), a delay class ('>' 2 ms, ';' 80 ms, 0 80 ms, 'W' the delay in
// bytes 3-4, little-endian).
//
// From then on every phrase is a count byte n and n firmware bytes, sent three times; the
// bootloader answers once, after the third copy. Three phrases make one record line.
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

#include "sim/Bootloader.h"

namespace TavSim {

namespace {

constexpr int kCopiesPerPhrase = 3;
constexpr int kPhrasesPerLine = 3;

}  // namespace

void TakeFirmwarePhrase(PhraseExchange& exchange) {
    DeviceModel& model = exchange.Model();
    const std::vector<uint8_t> phrase(exchange.Phrase().begin(), exchange.Phrase().end());
    if (model.bootloaderCopies == 0) {
        model.bootloaderCopy = phrase;
    } else if (phrase != model.bootloaderCopy) {
        ++model.bootloaderCopyMismatches;
    }
    if (++model.bootloaderCopies < kCopiesPerPhrase) {
        return;
    }
    model.bootloaderCopies = 0;
    const std::size_t phraseNumber = model.bootloaderPhrases++;

    const auto& copy = model.bootloaderCopy;
    const std::size_t count = copy.empty() ? 0 : copy[0];
    for (std::size_t i = 1; i <= count && i < copy.size(); ++i) {
        model.bootloaderLine.push_back(copy[i]);
    }

    BootloaderReply reply;
    if (const auto scripted = model.bootloaderReplies.find(phraseNumber); scripted != model.bootloaderReplies.end()) {
        reply = scripted->second;
    }
    if (++model.bootloaderChunks == kPhrasesPerLine) {
        const auto& line = model.bootloaderLine;
        if (model.bootloaderChecksRecords && !line.empty() &&
            static_cast<uint8_t>(std::accumulate(line.begin(), line.end(), 0u)) != 0) {
            reply.returnCode = '2';
        }
        model.firmwareLines.push_back(line);
        model.bootloaderLine.clear();
        model.bootloaderChunks = 0;
    }
    exchange.ReplyPadded({0x01, reply.returnCode, reply.delayClass, static_cast<uint8_t>(reply.delayMilliseconds),
                          static_cast<uint8_t>(reply.delayMilliseconds >> 8)});
}

}  // namespace TavSim
