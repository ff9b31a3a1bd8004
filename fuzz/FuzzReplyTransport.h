#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "common/TimeDelay.h"
#include "transport/Transport.h"

namespace TavFuzz {

// A reader whose replies are the fuzzer's bytes: each reply is one length byte (taken modulo the
// asked length plus two, so short, whole and one-too-long replies all come up) and that many
// bytes; once the input is used up every reply is empty. Every phrase sent is checked to be a
// whole feature report of at most `maxPhrase` bytes.
class FuzzReplyTransport : public TavTransport::Transport {
public:
    FuzzReplyTransport(std::span<const uint8_t> replies, std::size_t maxPhrase)
        : Transport(Definition()), replies_(replies), maxPhrase_(maxPhrase) {}

    void init(uint32_t) override {}
    void transmit(TavTransport::TransportPayload& payload) override {
        if (payload.data.size() != payload.length || payload.length == 0 || payload.length > maxPhrase_) {
            std::abort();
        }
    }
    std::vector<uint8_t> receive(TavTransport::TransportPayload& payload) override {
        if (replies_.empty()) {
            return {};
        }
        const std::size_t asked = replies_[0] % (payload.length + 2u);
        replies_ = replies_.subspan(1);
        const std::size_t length = std::min(asked, replies_.size());
        std::vector<uint8_t> reply(replies_.begin(), replies_.begin() + static_cast<std::ptrdiff_t>(length));
        replies_ = replies_.subspan(length);
        return reply;
    }

private:
    static TavCommon::ReaderDefinition Definition() {
        TavCommon::ReaderDefinition definition;
        std::memset(&definition, 0, sizeof definition);
        return definition;
    }

    std::span<const uint8_t> replies_;
    std::size_t maxPhrase_;
};

// Waits that return at once, so a fuzz run never sleeps.
class NoWait : public TavCommon::TimeDelay {
public:
    void DelayMilliseconds(int) override {}
    void DelaySeconds(int) override {}
};

}  // namespace TavFuzz
