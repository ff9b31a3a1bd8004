// Serial-binary configuration: blocks 1-5 and the extended configuration of the active
// configuration, the store to non-volatile memory and the stored defaults.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

void FillConfigurationCommands(PhraseHandlerTable& table) {
    // Block read: FA 01 (N-1) 00 08 -> 01, the block, 90 00.
    // Block write: FA 81 (N-1) 00 08 and the block -> 81 90 00.
    table.Add({0xFA, 0x01}, [](PhraseExchange& exchange) {
        const std::size_t block = exchange.Byte(2);
        if (block >= 5) {
            exchange.Reply({0x6B, 0x00});
            return;
        }
        const Block& stored = exchange.Model().ActiveConfiguration().blocks[block];
        std::vector<uint8_t> reply{0x01};
        reply.insert(reply.end(), stored.begin(), stored.end());
        reply.insert(reply.end(), {0x90, 0x00});
        exchange.Reply(std::move(reply));
    });
    table.Add({0xFA, 0x81}, [](PhraseExchange& exchange) {
        const std::size_t block = exchange.Byte(2);
        if (block >= 5) {
            exchange.Reply({0x6B, 0x00});
            return;
        }
        Block& target = exchange.Model().ActiveConfiguration().blocks[block];
        for (std::size_t i = 0; i < target.size(); ++i) {
            target[i] = exchange.Byte(5 + i);
        }
        exchange.Reply({0x81, 0x90, 0x00});
    });

    // Extended configuration read: FA 0A 00 00 P3 -> 0A, the image's first P3 bytes (its header
    // first), 90 00. Write: FA 8A 00 part P3 and P3 bytes, part 00 the image, 01 and 11 the two
    // hashes -> 8A 90 00.
    table.Add({0xFA, 0x0A}, [](PhraseExchange& exchange) {
        const auto& image = exchange.Model().ActiveConfiguration().extended;
        const std::size_t length = std::min<std::size_t>(exchange.Byte(4), image.size());
        std::vector<uint8_t> reply{0x0A};
        reply.insert(reply.end(), image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
        reply.insert(reply.end(), {0x90, 0x00});
        exchange.Reply(std::move(reply));
    });
    table.Add({0xFA, 0x8A}, [](PhraseExchange& exchange) {
        auto& model = exchange.Model();
        const auto data = exchange.Phrase().subspan(std::min<std::size_t>(5, exchange.Phrase().size()));
        const auto copyInto = [&data](auto& target) {
            std::copy_n(data.begin(), std::min(data.size(), target.size()), target.begin());
        };
        switch (exchange.Byte(3)) {
        case 0x00:
            copyInto(model.ActiveConfiguration().extended);
            break;
        case 0x01:
            copyInto(model.extendedHash1);
            break;
        case 0x11:
            copyInto(model.extendedHash2);
            break;
        default:
            exchange.Reply({0x6B, 0x00});
            return;
        }
        exchange.Reply({0x8A, 0x90, 0x00});
    });

    // Store: FA 02 (80: with the LUID) 00 00 -> 90 00.
    table.Add({0xFA, 0x02}, [](PhraseExchange& exchange) {
        ++exchange.Model().configurationWrites;
        exchange.Reply({0x90, 0x00});
    });
    // Stored defaults: FA 03 00 00 00 -> 90 00.
    table.Add({0xFA, 0x03}, [](PhraseExchange& exchange) {
        ++exchange.Model().storedDefaultsLoads;
        exchange.Reply({0x90, 0x00});
    });
}

const CommandRegistrar registrar(SerialBinaryCommands(), FillConfigurationCommands);

}  // namespace

}  // namespace TavSim
