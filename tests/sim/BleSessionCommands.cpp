// BLE data sessions, inside the feature-report blob sessions (89 10 read, 89 90 write; byte 3 the
// piece index, 0 for a descriptor, FF to store).
//   89 10 00 00 10 01 00 B     read setup of wire block B
//   89 10 00 00 10 01 00 B|80  read poll: 0 once block B is ready
//   89 10 00 i 00 00 00 00     piece i (1-32) of the block in bytes 4-7
//   89 90 00 00 11 01 L B      write configuration: block B, L bytes
//   89 90 00 i d0 d1 d2 d3     piece i of the block
//   89 90 00 FF 00 00 00 B     start store of block B (all L bytes must have come)
//   89 90 00 FF 00 00 00 B|80  store poll: 0 once stored
// Wire blocks 0-2 hold the data blob, 4 the unencrypted key, any other the key blob. Byte 2 of
// every reply is a return code from the phase's script (0 once the script is used up); a phrase
// answered with another code has no effect. A poll or piece outside a set-up block is answered 22.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "sim/BlobSessionFamilies.h"

namespace TavSim {

namespace {

constexpr uint8_t kRead = 0x10;
constexpr uint8_t kWrite = 0x90;
constexpr uint8_t kReadDescriptor = 0x10;
constexpr uint8_t kWriteDescriptor = 0x11;
constexpr uint8_t kStoreIndex = 0xFF;
constexpr uint8_t kPollBit = 0x80;
constexpr uint8_t kInvalidArgument = 22;
constexpr std::size_t kPieceBytes = 4;

uint8_t NextCode(DeviceModel& model, BlePhase phase) {
    auto& script = model.bleReturnCodes[phase];
    if (script.empty()) {
        return 0;
    }
    const uint8_t code = script.front();
    script.pop_front();
    return code;
}

std::span<uint8_t> BleBlock(DeviceModel& model, uint8_t block) {
    if (block <= 2) {
        auto& data = model.bleData[1];
        data.resize(384);
        return std::span<uint8_t>(data).subspan(block * 128u, 128);
    }
    auto& data = model.bleData[block == 4 ? 3 : 2];
    data.resize(block == 4 ? 16 : 128);
    return data;
}

void Answer(PhraseExchange& exchange, uint8_t code, std::span<const uint8_t> piece = {}) {
    std::vector<uint8_t> reply{0x89, exchange.Byte(1), code, exchange.Byte(3), 0, 0, 0, 0};
    std::copy_n(piece.begin(), std::min(piece.size(), kPieceBytes), reply.begin() + 4);
    exchange.Reply(std::move(reply));
}

void Read(PhraseExchange& exchange) {
    DeviceModel& model = exchange.Model();
    const uint8_t index = exchange.Byte(3);
    const uint8_t block = exchange.Byte(7);
    if (index == 0 && (block & kPollBit) != 0) {
        const uint8_t code = NextCode(model, BlePhase::ReadPoll);
        Answer(exchange, model.bleReadBlock == (block & ~kPollBit) ? code : kInvalidArgument);
    } else if (index == 0) {
        const uint8_t code = NextCode(model, BlePhase::ReadSetup);
        if (code == 0) {
            model.bleReadBlock = block;
        }
        Answer(exchange, code);
    } else if (!model.bleReadBlock || index > 128 / kPieceBytes) {
        Answer(exchange, kInvalidArgument);
    } else if (const uint8_t code = NextCode(model, BlePhase::ReadData); code != 0) {
        Answer(exchange, code);
    } else {
        Answer(exchange, 0, BleBlock(model, *model.bleReadBlock).subspan((index - 1u) * kPieceBytes, kPieceBytes));
    }
}

void Write(PhraseExchange& exchange) {
    DeviceModel& model = exchange.Model();
    const uint8_t index = exchange.Byte(3);
    const uint8_t block = exchange.Byte(7);
    if (index == 0) {
        const uint8_t code = NextCode(model, BlePhase::WriteConfiguration);
        if (code == 0) {
            model.bleWriteBlock = block;
            model.bleWriteLength = exchange.Byte(6);
            model.bleWriteData.clear();
        }
        Answer(exchange, code);
    } else if (!model.bleWriteBlock) {
        Answer(exchange, kInvalidArgument);
    } else if (index == kStoreIndex && (block & kPollBit) != 0) {
        const uint8_t code = NextCode(model, BlePhase::StorePoll);
        Answer(exchange, *model.bleWriteBlock == (block & ~kPollBit) ? code : kInvalidArgument);
    } else if (index == kStoreIndex) {
        uint8_t code = NextCode(model, BlePhase::StartStore);
        if (*model.bleWriteBlock != block || model.bleWriteData.size() != model.bleWriteLength) {
            code = kInvalidArgument;
        }
        if (code == 0) {
            const std::span<uint8_t> target = BleBlock(model, block);
            std::copy_n(model.bleWriteData.begin(), std::min(model.bleWriteData.size(), target.size()), target.begin());
        }
        Answer(exchange, code);
    } else if (const uint8_t code = NextCode(model, BlePhase::WriteData); code != 0) {
        Answer(exchange, code);
    } else {
        const std::size_t offset = (index - 1u) * kPieceBytes;
        if (model.bleWriteData.size() < offset + kPieceBytes) {
            model.bleWriteData.resize(offset + kPieceBytes, 0);
        }
        for (std::size_t i = 0; i < kPieceBytes; ++i) {
            model.bleWriteData[offset + i] = exchange.Byte(4 + i);
        }
        Answer(exchange, 0);
    }
}

bool IsBleSessionDescriptor(std::span<const uint8_t> descriptor) {
    const uint8_t opcode = descriptor.size() > 1 ? descriptor[1] : 0;
    const uint8_t type = descriptor.size() > 4 ? descriptor[4] : 0;
    return (opcode == kRead && type == kReadDescriptor) || (opcode == kWrite && type == kWriteDescriptor);
}

void BleSession(PhraseExchange& exchange) {
    if (exchange.Byte(1) == kRead) {
        Read(exchange);
    } else {
        Write(exchange);
    }
}

const BlobSessionRegistrar registrar({IsBleSessionDescriptor, BleSession});

}  // namespace

}  // namespace TavSim
