// Feature-report blob sessions and the LUID.
//   8A                    LUID: a read is answered with the LUID low byte first in bytes 0-3 and
//                         high byte last in bytes 4-7; a write sends 00 lo hi as the next phrase
//   89 10 00 00 t b l f   blob read descriptor (type t, a byte b, length low byte l, a byte f):
//                         echoed; then 89 10 00 k asks for piece k (k >= 1): 89 10 00 k and
//                         the blob's bytes 4(k - 1) to 4(k - 1) + 3
//   89 90 00 00 t b l f   blob write descriptor: acknowledged 89 90 00 00; then 89 90 00 k with
//                         piece k in bytes 4-7, acknowledged 89 90 00 k; then 89 90 00 FF stores
//                         the pieces as blob t, acknowledged 89 90 00 FF
// Sessions of other families (BLE data) go where their descriptor says (BlobSessionFamilies.h).
#include "sim/BlobSessionFamilies.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "sim/CommandTables.h"

namespace TavSim {

std::vector<BlobSessionFamily>& BlobSessionFamilies() {
    static std::vector<BlobSessionFamily> families;
    return families;
}

namespace {

constexpr uint8_t kRead = 0x10;
constexpr uint8_t kWrite = 0x90;
constexpr uint8_t kEndPiece = 0xFF;

void GenericBlob(PhraseExchange& exchange) {
    auto& model = exchange.Model();
    const uint8_t opcode = exchange.Byte(1);
    const uint8_t piece = exchange.Byte(3);
    const auto& descriptor = opcode == kRead ? model.blobReadDescriptor : model.blobWriteDescriptor;
    const uint8_t type = descriptor[4];
    if (opcode == kRead) {
        if (piece == 0) {
            exchange.Reply(std::vector<uint8_t>(descriptor.begin(), descriptor.end()));
            return;
        }
        const std::vector<uint8_t>& blob = model.blobs[type];
        std::vector<uint8_t> reply{0x89, kRead, 0x00, piece, 0, 0, 0, 0};
        const std::size_t offset = 4 * (std::size_t{piece} - 1);
        for (std::size_t i = 0; i < 4 && offset + i < blob.size(); ++i) {
            reply[4 + i] = blob[offset + i];
        }
        exchange.Reply(std::move(reply));
        return;
    }
    if (piece == 0) {
        model.blobWriteData.clear();
    } else if (piece == kEndPiece) {
        model.blobs[type] = model.blobWriteData;
    } else {
        const std::size_t offset = 4 * (std::size_t{piece} - 1);
        if (model.blobWriteData.size() < offset + 4) {
            model.blobWriteData.resize(offset + 4, 0);
        }
        for (std::size_t i = 0; i < 4; ++i) {
            model.blobWriteData[offset + i] = exchange.Byte(4 + i);
        }
    }
    exchange.ReplyPadded({0x89, kWrite, 0x00, piece});
}

void BlobSession(PhraseExchange& exchange) {
    auto& model = exchange.Model();
    auto& descriptor = exchange.Byte(1) == kRead ? model.blobReadDescriptor : model.blobWriteDescriptor;
    if (exchange.Byte(3) == 0) {
        for (std::size_t i = 0; i < descriptor.size(); ++i) {
            descriptor[i] = exchange.Byte(i);
        }
    }
    for (const auto& family : BlobSessionFamilies()) {
        if (family.claims(descriptor)) {
            family.handler(exchange);
            return;
        }
    }
    GenericBlob(exchange);
}

void FillBlobCommands(PhraseHandlerTable& table) {
    table.Add({0x89, kRead}, BlobSession);
    table.Add({0x89, kWrite}, BlobSession);
    table.Add({0x8A}, [](PhraseExchange& exchange) {
        const uint16_t luid = exchange.Model().luid;
        const auto low = static_cast<uint8_t>(luid & 0xFF);
        const auto high = static_cast<uint8_t>(luid >> 8);
        exchange.ReplyPadded({low, high, 0, 0, 0, 0, high, low});
        exchange.ContinueWith([](PhraseExchange& data) {
            data.Model().luid = static_cast<uint16_t>(data.Byte(1) | (data.Byte(2) << 8));
        });
    });
}

const CommandRegistrar registrar(FeatureReportCommands(), FillBlobCommands);

}  // namespace

}  // namespace TavSim
