// Serial-binary configuration store and stored defaults. (The block and extended-configuration
// frames live with their commands' family.)
#include <cstdint>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

void FillConfigurationCommands(PhraseHandlerTable& table) {
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
