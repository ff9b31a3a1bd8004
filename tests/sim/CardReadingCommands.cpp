// Feature-report card reads and card analyzer.
//   8F              card data in one phrase: the front card's bytes 0-7
//   8D k            card data in four parts: bytes 8k to 8k + 7 of the front card
//   8E              bit count of the front card in byte 0
//   8C 02 k         queued id: k = 0-3 bytes 8k to 8k + 7; k = 4 (flag in byte 3) the 32-bit value
//                   in bytes 0-3 and the last byte in byte 7
//   8C 08           analyzer status: 8C 08, status low, status high
//   8C 88 code      analyzer control: echoed as 8C 88 code
//   8C 09 card k    analyzer card `card`: k = 0 its header (type, bit count, both low byte first),
//                   k >= 1 data bytes 8(k - 1) onwards, in the order received; a card the
//                   analyzer does not hold has a header of 0 bits
// A reader without a card answers the card reads with zero bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

std::vector<uint8_t> FrontCardData(const DeviceModel& model) {
    return model.presentedCards.empty() ? std::vector<uint8_t>{} : model.presentedCards.front().data;
}

void FillCardReadingCommands(PhraseHandlerTable& table) {
    table.Add({0x8F}, [](PhraseExchange& exchange) { exchange.ReplySlice(FrontCardData(exchange.Model()), 0); });
    table.Add({0x8D}, [](PhraseExchange& exchange) {
        exchange.ReplySlice(FrontCardData(exchange.Model()), 8 * std::size_t{exchange.Byte(1)});
    });
    table.Add({0x8E}, [](PhraseExchange& exchange) {
        const auto& cards = exchange.Model().presentedCards;
        exchange.ReplyPadded({cards.empty() ? uint8_t{0} : static_cast<uint8_t>(cards.front().bitCount)});
    });
    table.Add({0x8C, 0x02}, [](PhraseExchange& exchange) {
        auto& model = exchange.Model();
        const uint8_t part = exchange.Byte(2);
        if (part < 4) {
            const std::vector<uint8_t> id(model.queuedId.begin(), model.queuedId.end());
            exchange.ReplySlice(id, 8 * std::size_t{part});
            return;
        }
        model.queuedIdFlags = exchange.Byte(3);
        const auto& value = model.queuedIdValue;
        exchange.ReplyPadded({value[0], value[1], value[2], value[3], 0, 0, 0, model.queuedIdLastByte});
    });
    table.Add({0x8C, 0x08}, [](PhraseExchange& exchange) {
        const uint16_t status = exchange.Model().cardAnalyzerStatus;
        exchange.ReplyPadded({0x8C, 0x08, static_cast<uint8_t>(status & 0xFF), static_cast<uint8_t>(status >> 8)});
    });
    table.Add({0x8C, 0x88}, [](PhraseExchange& exchange) {
        exchange.Model().cardAnalyzerControl = exchange.Byte(2);
        exchange.ReplyPadded({0x8C, 0x88, exchange.Byte(2)});
    });
    table.Add({0x8C, 0x09}, [](PhraseExchange& exchange) {
        const auto& cards = exchange.Model().analyzerCards;
        const std::size_t card = exchange.Byte(2);
        const std::size_t phrase = exchange.Byte(3);
        if (card >= cards.size()) {
            exchange.ReplyPadded({});
            return;
        }
        const PresentedCard& held = cards[card];
        if (phrase == 0) {
            exchange.ReplyPadded({static_cast<uint8_t>(held.cardType & 0xFF), static_cast<uint8_t>(held.cardType >> 8),
                                  static_cast<uint8_t>(held.bitCount & 0xFF),
                                  static_cast<uint8_t>(held.bitCount >> 8)});
            return;
        }
        exchange.ReplySlice(held.data, 8 * (phrase - 1));
    });
}

const CommandRegistrar registrar(FeatureReportCommands(), FillCardReadingCommands);

}  // namespace

}  // namespace TavSim
