#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "common/ReaderConfiguration.h"
#include "facade/ProtocolFacade.h"
#include "support/FacadeOnSimulatedReader.h"

namespace {

using namespace TavProtocol;
using Bytes = std::vector<uint8_t>;

constexpr uint8_t kFeatureReport = 1;
constexpr uint8_t kSerialBinary = 3;

// The selection of a configuration, and the read or write of block `block` (0-4) behind it.
struct Wire {
    uint8_t protocol;

    bool IsSelection(const Bytes& phrase, uint8_t configuration) const {
        return protocol == kFeatureReport
                   ? phrase.size() == 8 && phrase[0] == 0x89 && phrase[1] == 0x81 && phrase[2] == configuration
                   : phrase.size() == 5 && phrase[0] == 0xFA && phrase[1] == 0x09 && phrase[2] == 0x81 &&
                         phrase[3] == configuration;
    }
    bool IsBlockRead(const Bytes& phrase, uint8_t block) const {
        return protocol == kFeatureReport ? phrase == Bytes{static_cast<uint8_t>(0x80 + block), 0, 0, 0, 0, 0, 0, 0}
                                          : phrase == Bytes{0xFA, 0x01, block, 0x00, 0x08};
    }
    // Feature report: the block's code, then its data phrase; serial: one frame.
    std::size_t BlockWritePhrases() const { return protocol == kFeatureReport ? 2 : 1; }
    bool IsBlockWrite(const Bytes& phrase, uint8_t block) const {
        return protocol == kFeatureReport
                   ? IsBlockRead(phrase, block)
                   : phrase.size() == 13 && phrase[0] == 0xFA && phrase[1] == 0x81 && phrase[2] == block;
    }
};

ReaderConfiguration Marked(uint8_t mark) {
    ReaderConfiguration configuration;
    configuration.Block1.IdBitCount = mark;
    configuration.Block5.CardType = mark;
    return configuration;
}

// Another thread keeps selecting configuration 0 and reading a block on the same facade. The
// whole-configuration operations must keep their selection and blocks together: the reader sees
// nothing of the other thread between them, and every read returns configuration 2.
TEST(ConfigurationFacadeThreadedTest, SelectionAndBlocksStayTogetherUnderAnotherThreadsOperations) {
    for (const uint8_t protocol : {kFeatureReport, kSerialBinary}) {
        SCOPED_TRACE(protocol == kFeatureReport ? "feature report" : "serial binary");
        TavTest::FacadeOnSimulatedReader reader(protocol);
        const ProtocolFacade& facade = reader.Facade();
        ASSERT_FALSE(facade.SetConfiguration(2, Marked(42)).HasException);
        reader.ClearSent();

        std::atomic<bool> stop{false};
        std::atomic<int> hammerFailures{0};
        std::atomic<int> hammerRounds{0};
        std::thread hammer([&] {
            while (!stop.load()) {
                ++hammerRounds;
                ReaderConfigurationBlock1 block;
                if (facade.SetActiveConfiguration(0).HasException ||
                    facade.GetConfigurationBlock1(block).HasException) {
                    ++hammerFailures;
                }
            }
        });
        while (hammerRounds.load() == 0) {
            std::this_thread::yield();
        }
        constexpr int kRounds = 50;
        int wrongReads = 0;
        // Lets the other thread finish one of its rounds, so it is at the facade's door again when
        // the next operation starts.
        const auto letTheOtherThreadIn = [&] {
            const int seen = hammerRounds.load();
            while (hammerRounds.load() < seen + 2) {
                std::this_thread::yield();
            }
        };
        for (int round = 0; round < kRounds; ++round) {
            letTheOtherThreadIn();
            ReaderConfiguration read;
            if (facade.GetConfiguration(2, read).HasException || read.Block1.IdBitCount != 42 ||
                read.Block5.CardType != 42) {
                ++wrongReads;
            }
            letTheOtherThreadIn();
            if (facade.SetConfiguration(1, Marked(static_cast<uint8_t>(round))).HasException) {
                ++wrongReads;
            }
        }
        stop = true;
        hammer.join();
        EXPECT_EQ(wrongReads, 0);
        EXPECT_EQ(hammerFailures.load(), 0);
        EXPECT_EQ(reader.Reader().Model()->configurations[1].blocks[4][1], kRounds - 1);

        const Wire wire{protocol};
        const std::vector<Bytes> sent = reader.Sent();
        int reads = 0;
        int writes = 0;
        int hammerSelections = 0;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            if (wire.IsSelection(sent[i], 0) && reads > 0 && reads < kRounds) {
                ++hammerSelections;
            }
            if (wire.IsSelection(sent[i], 2)) {
                ++reads;
                ASSERT_LE(i + 5, sent.size() - 1);
                for (uint8_t block = 0; block < 5; ++block) {
                    EXPECT_TRUE(wire.IsBlockRead(sent[i + 1 + block], block)) << "phrase " << i + 1 + block;
                }
            } else if (wire.IsSelection(sent[i], 1)) {
                ++writes;
                ASSERT_LE(i + 5 * wire.BlockWritePhrases(), sent.size() - 1);
                for (uint8_t block = 0; block < 5; ++block) {
                    EXPECT_TRUE(wire.IsBlockWrite(sent[i + 1 + block * wire.BlockWritePhrases()], block))
                        << "phrase " << i + 1 + block * wire.BlockWritePhrases();
                }
            }
        }
        EXPECT_EQ(reads, kRounds);
        EXPECT_EQ(writes, kRounds);
        // The other thread did get in between the operations.
        EXPECT_GT(hammerSelections, 0);
    }
}

}  // namespace
