#include "support/StockedReader.h"

#include <algorithm>
#include <iterator>

namespace TavTest {

void StockAsInUse(TavSim::SimulatedReader& reader) {
    auto model = reader.Model();
    for (auto& configuration : model->configurations) {
        configuration.extended.fill(0xFF);
        const uint8_t header[] = {0x14, 0x41, 0x20, 0x10, 0xCA, 0x83, 0x05, 0x08};
        std::copy(std::begin(header), std::end(header), configuration.extended.begin());
    }
    model->analyzerCards = {{.cardType = 1, .bitCount = 26, .data = {0x01, 0x02, 0x03, 0x40}},
                            {.cardType = 2, .bitCount = 8, .data = {0x7E}}};
    model->presentedCards = {model->analyzerCards.begin(), model->analyzerCards.end()};
}

std::vector<uint8_t> ValidExtendedImage() {
    std::vector<uint8_t> image(128, 0xFF);
    const uint8_t header[] = {0x14, 0x41, 0x20, 0x10, 0xCA, 0x83, 0x05, 0x08};
    std::copy(std::begin(header), std::end(header), image.begin());
    image[126] = 0x82;
    image[127] = 0x40;
    return image;
}

}  // namespace TavTest
