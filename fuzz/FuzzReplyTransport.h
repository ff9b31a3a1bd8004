#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "common/TimeDelay.h"
#include "support/CatalogueFuzzInput.h"
#include "support/CommandCatalogue.h"
#include "transport/Transport.h"

namespace TavFuzz {

// The fuzzer's bytes cut into replies: each reply is one length byte (taken modulo `modulo`) and
// that many bytes, fewer when the input ends; once the input is used up every reply is empty.
class ReplyFeed {
public:
    explicit ReplyFeed(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    std::vector<uint8_t> Next(std::size_t modulo = 256) {
        if (bytes_.empty()) {
            return {};
        }
        const std::size_t asked = bytes_[0] % modulo;
        bytes_ = bytes_.subspan(1);
        const std::size_t length = std::min(asked, bytes_.size());
        std::vector<uint8_t> reply(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(length));
        bytes_ = bytes_.subspan(length);
        return reply;
    }

private:
    std::span<const uint8_t> bytes_;
};

// A reader with zeroed settings, for the transports below.
inline TavCommon::ReaderDefinition ZeroDefinition() {
    TavCommon::ReaderDefinition definition;
    std::memset(&definition, 0, sizeof definition);
    return definition;
}

// A reader whose replies come from a ReplyFeed, the length byte taken modulo the asked length plus
// two, so short, whole and one-too-long replies all come up. Every phrase sent is checked to be a
// whole feature report of at most `maxPhrase` bytes.
class FuzzReplyTransport : public TavTransport::Transport {
public:
    FuzzReplyTransport(std::span<const uint8_t> replies, std::size_t maxPhrase)
        : Transport(ZeroDefinition()), replies_(replies), maxPhrase_(maxPhrase) {}

    void init(uint32_t) override {}
    void transmit(TavTransport::TransportPayload& payload) override {
        if (payload.data.size() != payload.length || payload.length == 0 || payload.length > maxPhrase_) {
            std::abort();
        }
    }
    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override {
        return replies_.Next(payload.length + 2u);
    }

private:
    ReplyFeed replies_;
    std::size_t maxPhrase_;
};

// A serial reader whose replies come from a ReplyFeed, whatever length was asked for (a serial
// receive returns what arrived). Every phrase must be a frame or the LUID's data phrase.
class SerialFuzzTransport : public TavTransport::Transport {
public:
    explicit SerialFuzzTransport(std::span<const uint8_t> replies)
        : Transport(ZeroDefinition()), replies_(replies) {}

    void init(uint32_t) override {}
    void transmit(TavTransport::TransportPayload& payload) override {
        const bool frame = payload.data.size() >= 5 && payload.data[0] == 0xFA;
        const bool luidData = payload.data.size() == 2;
        if (payload.data.size() != payload.length || !(frame || luidData) || ++phrases_ > kPhraseLimit) {
            std::abort();
        }
    }
    std::vector<uint8_t> receive(TavTransport::TransportPayload&) override { return replies_.Next(); }

private:
    // Two paged reads of 256 phrases each and everything else: far below this.
    static constexpr std::size_t kPhraseLimit = 1024;

    ReplyFeed replies_;
    std::size_t phrases_ = 0;
};

// Waits that return at once, so a fuzz run never sleeps.
class NoWait : public TavCommon::TimeDelay {
public:
    void DelayMilliseconds(int) override {}
    void DelaySeconds(int) override {}
};

// Runs the protocol's command of the catalogue that the input names (CatalogueFuzzInput.h), built
// from the argument byte after the name, over the transport made from the rest of the input. The
// library's own failures end a step; anything else escapes, and the fuzzer reports it.
template <typename MakeTransport>
void RunCatalogueCommand(TavTest::Wire protocol, const uint8_t* data, std::size_t size,
                         MakeTransport makeTransport) {
    std::vector<const TavTest::CommandEntry*> commands;
    for (const auto& command : TavTest::CommandCatalogue()) {
        if (command.protocol == protocol) {
            commands.push_back(&command);
        }
    }
    const auto input = TavTest::ReadCatalogueFuzzInput(std::span<const uint8_t>(data, size));
    const auto& command =
        *commands[TavTest::PickRow(commands.size(), input.rowName, [&](std::size_t i) { return commands[i]->name; })];
    auto transport = makeTransport(input.replies);
    command.run(transport, input.argument, [](const TavTest::Step& step) {
        try {
            step();
        } catch (const ElvarinException&) {
        }
    });
}

}  // namespace TavFuzz
