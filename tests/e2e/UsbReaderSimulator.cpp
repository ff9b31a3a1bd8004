// Preloaded after the hidraw interposer into an end-to-end host: serves simulated readers as
// /dev/hidrawN nodes, so that the host reaches them through libTavelin and the real hidapi alone.
//
//   TAV_SIM_HIDRAW="/dev/hidraw90=feature,/dev/hidraw91=mfp24"   the nodes and their protocols
//   TAV_SIM_CARD="26:025A3C40"                                   a card lying on every reader
//
// It also makes the fake sysfs tree (tmpfs in a mount namespace) pass libudev's check that a
// device folder lies on sysfs, so that hidapi can find a reader by its ids.
#include <dlfcn.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "sim/CommandTables.h"
#include "sim/FeatureReportFrontEnd.h"
#include "sim/SimulatedReader.h"
#include "support/SimulatedHidrawNode.h"

namespace {

struct ServedReader {
    TavSim::SimulatedReader reader;
    std::unique_ptr<TavSim::FeatureReportFrontEnd> frontEnd;
    std::unique_ptr<TavTest::SimulatedHidrawNode> node;
};

std::optional<TavSim::PresentedCard> CardFromEnvironment() {
    const char* text = std::getenv("TAV_SIM_CARD");
    unsigned bitCount = 0;
    char hex[129] = {};
    if (text == nullptr || std::sscanf(text, "%u:%128s", &bitCount, hex) != 2) {
        return std::nullopt;
    }
    TavSim::PresentedCard card{1, static_cast<uint16_t>(bitCount), {}};
    for (const char* digit = hex; digit[0] != '\0' && digit[1] != '\0'; digit += 2) {
        card.data.push_back(static_cast<uint8_t>(std::stoul(std::string(digit, 2), nullptr, 16)));
    }
    return card;
}

// Built when the library is loaded, before the host's main, and kept to the end of the process.
struct ServedReaders {
    ServedReaders() {
        const char* nodes = std::getenv("TAV_SIM_HIDRAW");
        if (nodes == nullptr) {
            return;
        }
        const auto card = CardFromEnvironment();
        std::istringstream list(nodes);
        std::string entry;
        while (std::getline(list, entry, ',')) {
            const auto equals = entry.find('=');
            const std::string path = entry.substr(0, equals);
            const bool mfp24 = equals != std::string::npos && entry.substr(equals + 1) == "mfp24";
            ServedReader& served = readers.emplace_back();
            served.reader.Model()->supportedCardTypes = {0x0206, 0x6F06};
            if (card) {
                served.reader.Model()->presentedCards.push_back(*card);
            }
            served.frontEnd = mfp24 ? std::make_unique<TavSim::FeatureReportFrontEnd>(served.reader, TavSim::Mfp24Commands())
                                    : std::make_unique<TavSim::FeatureReportFrontEnd>(served.reader);
            served.node = std::make_unique<TavTest::SimulatedHidrawNode>(path, *served.frontEnd);
        }
    }
    std::deque<ServedReader> readers;
};

const ServedReaders served;

}  // namespace

namespace {

// A tmpfs folder under /sys reads as sysfs.
template <typename Status>
int PassAsSysfs(int descriptor, Status* status, const char* realName) {
    using Real = int (*)(int, Status*);
    const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, realName));
    const int result = real(descriptor, status);
    if (result == 0 && status->f_type == TMPFS_MAGIC) {
        char path[256] = {};
        const std::string link = "/proc/self/fd/" + std::to_string(descriptor);
        const ssize_t length = ::readlink(link.c_str(), path, sizeof path - 1);
        if (length > 0 && std::string_view(path, static_cast<std::size_t>(length)).starts_with("/sys/")) {
            status->f_type = SYSFS_MAGIC;
        }
    }
    return result;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int fstatfs(int descriptor, struct statfs* status) {
    return PassAsSysfs(descriptor, status, "fstatfs");
}

extern "C" __attribute__((visibility("default"))) int fstatfs64(int descriptor, struct statfs64* status) {
    return PassAsSysfs(descriptor, status, "fstatfs64");
}
