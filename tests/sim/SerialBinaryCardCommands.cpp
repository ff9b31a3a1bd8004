// Serial-binary card reads and the card analyzer. The card on the reader is the front of the
// model's queue of presented cards; the analyzer holds every card of the queue.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

void AppendStatusOk(std::vector<uint8_t>& reply) {
    reply.push_back(0x90);
    reply.push_back(0x00);
}

// A card's data bytes from `offset`, `count` of them, zero past the card's end.
std::vector<uint8_t> CardBytes(const PresentedCard& card, std::size_t offset, std::size_t count) {
    std::vector<uint8_t> bytes(count, 0x00);
    for (std::size_t i = 0; i < count && offset + i < card.data.size(); ++i) {
        bytes[i] = card.data[offset + i];
    }
    return bytes;
}

uint8_t BitCountByte(const PresentedCard& card) { return static_cast<uint8_t>(std::min<uint16_t>(card.bitCount, 255)); }

void FillCardCommands(PhraseHandlerTable& table) {
    // Card data: FA 00 00 00 P3, P3 = 0x0C (8 data bytes) or 0x24 (32) -> 00, a four-byte header
    // whose second byte is the bit count, the data, SW1 SW2. No card: the same length, 6A 82, or
    // on some readers 6A 82 alone.
    table.Add({0xFA, 0x00}, [](PhraseExchange& exchange) {
        const std::size_t dataLength = exchange.Byte(4) == 0x24 ? 32 : 8;
        const auto& cards = exchange.Model().presentedCards;
        std::vector<uint8_t> reply{0x00, 0x00, 0x00, 0x00, 0x00};
        if (cards.empty() && exchange.Model().noCardAsBareStatusWord) {
            reply = {0x6A, 0x82};
        } else if (cards.empty()) {
            reply.resize(5 + dataLength, 0x00);
            reply.push_back(0x6A);
            reply.push_back(0x82);
        } else {
            reply[2] = BitCountByte(cards.front());
            const auto data = CardBytes(cards.front(), 0, dataLength);
            reply.insert(reply.end(), data.begin(), data.end());
            AppendStatusOk(reply);
        }
        exchange.Reply(std::move(reply));
    });

    // Queued id: FA 0C 02 part 00 for parts 0-3 (eight id bytes each), then FA 0C 02 04 flags
    // (card type, bit count, the flags echoed in the last byte); each 0C, 8 bytes, 90 00.
    table.Add({0xFA, 0x0C, 0x02}, [](PhraseExchange& exchange) {
        const uint8_t part = exchange.Byte(3);
        const auto& cards = exchange.Model().presentedCards;
        const PresentedCard card = cards.empty() ? PresentedCard{} : cards.front();
        std::vector<uint8_t> reply{0x0C};
        if (part < 4) {
            const auto bytes = CardBytes(card, std::size_t{part} * 8, 8);
            reply.insert(reply.end(), bytes.begin(), bytes.end());
        } else {
            reply.insert(reply.end(), {static_cast<uint8_t>(card.cardType), static_cast<uint8_t>(card.cardType >> 8),
                                       static_cast<uint8_t>(card.bitCount), static_cast<uint8_t>(card.bitCount >> 8),
                                       0x00, 0x00, 0x00, exchange.Byte(4)});
        }
        AppendStatusOk(reply);
        exchange.Reply(std::move(reply));
    });

    // Card analyzer status: FA 0C 08 00 00 -> 0C, status (low byte first), 90 00.
    table.Add({0xFA, 0x0C, 0x08}, [](PhraseExchange& exchange) {
        const uint16_t status = exchange.Model().cardAnalyzerStatus;
        exchange.Reply({0x0C, static_cast<uint8_t>(status), static_cast<uint8_t>(status >> 8), 0x90, 0x00});
    });

    // Card analyzer data: FA 0C 09 card phrase. Phrase 0 is the card's header (0C, type, bit
    // count, five zero bytes, 90 00); phrase k > 0 the card's data bytes 8(k-1) to 8k-1.
    table.Add({0xFA, 0x0C, 0x09}, [](PhraseExchange& exchange) {
        const auto& cards = exchange.Model().presentedCards;
        const std::size_t index = exchange.Byte(3);
        const PresentedCard card = index < cards.size() ? cards[index] : PresentedCard{};
        const uint8_t phrase = exchange.Byte(4);
        std::vector<uint8_t> reply{0x0C};
        if (phrase == 0) {
            reply.insert(reply.end(), {static_cast<uint8_t>(card.cardType), static_cast<uint8_t>(card.cardType >> 8),
                                       BitCountByte(card), 0x00, 0x00, 0x00, 0x00, 0x00});
        } else {
            const auto bytes = CardBytes(card, (std::size_t{phrase} - 1) * 8, 8);
            reply.insert(reply.end(), bytes.begin(), bytes.end());
        }
        AppendStatusOk(reply);
        exchange.Reply(std::move(reply));
    });

    // Card analyzer control: FA 0C 88 code 00 -> 0C 90 00.
    table.Add({0xFA, 0x0C, 0x88}, [](PhraseExchange& exchange) {
        exchange.Model().cardAnalyzerControl = exchange.Byte(3);
        exchange.Reply({0x0C, 0x90, 0x00});
    });
}

const CommandRegistrar registrar(SerialBinaryCommands(), FillCardCommands);

}  // namespace

}  // namespace TavSim
