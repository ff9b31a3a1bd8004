// Feature-report configuration management and the extended configuration.
//   89 01               active configuration: 89 01 active count, byte 4 unused, a 16-bit value
//                       (low byte first) and a last byte
//   89 81 n             make configuration n active; answered like 89 01, with 89 81
//   89 82 s d p3 p4     copy location s to location d: the request echoed
//   90                  commit to non-volatile memory; no reply
//   A0                  load the stored defaults; no reply
//   85 i 00 10          extended configuration record i (8 bytes of the 128): a read is answered
//                       with the record; a write sends the record's 8 bytes as the next phrase
//   85 h 01 00, 85 h 11 00   write half h of Hash1 / Hash2: the next phrase holds its 8 bytes
// Like the block commands, a read and the first phrase of a write look alike: the reader tells
// them apart by what comes next (the host reading the reply, or sending the data phrase).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "sim/CommandTables.h"

namespace TavSim {

namespace {

void ReplyActiveConfiguration(PhraseExchange& exchange, uint8_t subCode) {
    const auto& model = exchange.Model();
    exchange.ReplyPadded({0x89, subCode, model.activeConfiguration, model.configurationCount, 0x00,
                          static_cast<uint8_t>(model.activeConfigurationWord & 0xFF),
                          static_cast<uint8_t>(model.activeConfigurationWord >> 8), model.activeConfigurationLastByte});
}

// The data phrase of a write fills `target` from its first bytes.
template <std::size_t N>
PhraseHandler WriteInto(std::size_t offset, std::array<uint8_t, N> DeviceModel::*member) {
    return [offset, member](PhraseExchange& data) {
        auto& target = data.Model().*member;
        for (std::size_t i = 0; i < 8 && offset + i < N; ++i) {
            target[offset + i] = data.Byte(i);
        }
    };
}

void FillConfigurationCommands(PhraseHandlerTable& table) {
    table.Add({0x89, 0x01}, [](PhraseExchange& exchange) { ReplyActiveConfiguration(exchange, 0x01); });
    table.Add({0x89, 0x81}, [](PhraseExchange& exchange) {
        auto& model = exchange.Model();
        if (exchange.Byte(2) < model.configurationCount) {
            model.activeConfiguration = exchange.Byte(2);
        }
        ReplyActiveConfiguration(exchange, 0x81);
    });
    table.Add({0x89, 0x82}, [](PhraseExchange& exchange) {
        exchange.Model().configurationCopies.push_back(
            {exchange.Byte(2), exchange.Byte(3), exchange.Byte(4), exchange.Byte(5)});
        const std::span<const uint8_t> phrase = exchange.Phrase();
        std::vector<uint8_t> reply(phrase.begin(), phrase.end());
        reply.resize(8, 0);
        exchange.Reply(std::move(reply));
    });
    table.Add({0x90}, [](PhraseExchange& exchange) { ++exchange.Model().configurationWrites; });
    table.Add({0xA0}, [](PhraseExchange& exchange) { ++exchange.Model().storedDefaultsLoads; });
    table.Add({0x85}, [](PhraseExchange& exchange) {
        const std::size_t index = exchange.Byte(1);
        const uint8_t selector = exchange.Byte(2);
        if (selector == 0x01 || selector == 0x11) {
            // A hash half is only ever written.
            exchange.ContinueWith(
                WriteInto(8 * index, selector == 0x01 ? &DeviceModel::extendedHash1 : &DeviceModel::extendedHash2));
            return;
        }
        auto& extended = exchange.Model().ActiveConfiguration().extended;
        std::vector<uint8_t> record(8, 0);
        for (std::size_t i = 0; i < record.size() && 8 * index + i < extended.size(); ++i) {
            record[i] = extended[8 * index + i];
        }
        exchange.Reply(std::move(record));
        exchange.ContinueWith([index](PhraseExchange& data) {
            auto& target = data.Model().ActiveConfiguration().extended;
            for (std::size_t i = 0; i < 8 && 8 * index + i < target.size(); ++i) {
                target[8 * index + i] = data.Byte(i);
            }
        });
    });
}

const CommandRegistrar registrar(FeatureReportCommands(), FillConfigurationCommands);

}  // namespace

}  // namespace TavSim
