// Any firmware file is either refused before the first phrase or sent as phrases of a count byte
// and at most 7 bytes; reading it never reads past a line or blocks.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "FuzzReplyTransport.h"
#include "Tavelin/ElvarinException.h"
#include "core/ProtocolException.h"
#include "featureReport/UpgradeFirmwareWithFeatureReportProtocol.h"
#include "files/ElvarinFirmwareFileStream.h"

namespace {

// The file each input is written to, removed when the fuzzer exits.
class Scratch {
public:
    Scratch() {
        char name[] = "/tmp/tavelin-firmware-fuzz-XXXXXX";
        const int descriptor = mkstemp(name);
        if (descriptor < 0) {
            std::abort();
        }
        close(descriptor);
        path_ = name;
    }
    ~Scratch() { unlink(path_.c_str()); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

const std::string& ScratchFile() {
    static const Scratch scratch;
    return scratch.Path();
}

void WriteScratch(const uint8_t* data, std::size_t size) {
    const int descriptor = open(ScratchFile().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (descriptor < 0 || (size > 0 && write(descriptor, data, size) != static_cast<ssize_t>(size))) {
        std::abort();
    }
    close(descriptor);
}

// A bootloader that takes everything: 01 '.' '>'.
class AcceptingBootloader : public TavFuzz::FuzzReplyTransport {
public:
    AcceptingBootloader() : FuzzReplyTransport({}, 8) {}
    std::vector<uint8_t> receive(TavTransport::TransportPayload&) override { return {0x01, '.', '>', 0, 0, 0, 0, 0}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    WriteScratch(data, size);

    ElvarinFirmwareFileStream stream(ScratchFile());
    try {
        stream.Open();
        while (stream.IsOpen() && !stream.IsEndOfFile()) {
            try {
                if (stream.ReadNextLine().size() > ElvarinFirmwareFileStream::kMaxLineLength / 2) {
                    std::abort();
                }
            } catch (const std::invalid_argument&) {
            }
        }
    } catch (const ElvarinException&) {
    }

    AcceptingBootloader bootloader;
    TavProtocol::UpgradeFirmwareWithFeatureReportProtocol upgrade(ScratchFile(), nullptr,
                                                                  std::make_unique<TavFuzz::NoWait>());
    try {
        upgrade.Execute(bootloader);
    } catch (const ElvarinException&) {
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
