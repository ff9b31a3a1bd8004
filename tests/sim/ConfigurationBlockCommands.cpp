// Feature-report configuration blocks 1-5 of the active configuration: code 0x80 + (N - 1).
// A read is the code alone, answered with the block's 8 bytes from byte 0. A write is the same
// phrase followed by the block's 8 bytes as a second phrase, with no reply; the reader tells the
// two apart by what the host does next (reading the reply, or sending the data phrase).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

void FillConfigurationBlocks(PhraseHandlerTable& table) {
    for (std::size_t block = 0; block < 5; ++block) {
        const auto code = static_cast<uint8_t>(0x80 + block);
        table.Add({code}, [block](PhraseExchange& exchange) {
            const Block& stored = exchange.Model().ActiveConfiguration().blocks[block];
            exchange.Reply(std::vector<uint8_t>(stored.begin(), stored.end()));
            exchange.ContinueWith([block](PhraseExchange& data) {
                Block& target = data.Model().ActiveConfiguration().blocks[block];
                for (std::size_t i = 0; i < target.size(); ++i) {
                    target[i] = data.Byte(i);
                }
            });
        });
    }
}

const CommandRegistrar registrar(FeatureReportCommands(), FillConfigurationBlocks);

}  // namespace

}  // namespace TavSim
