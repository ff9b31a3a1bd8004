#include "files/ExtendedConfigurationImage.h"

#include "Tavelin/ElvarinException.h"

namespace TavFiles {

ExtendedConfigurationImage ExtendedConfigurationImage::Of(const TavCommon::ExtendedConfiguration& configuration) {
    ExtendedConfigurationImage image;
    try {
        std::vector<uint8_t> bytes = configuration.ToVector();
        if (TavCommon::ExtendedConfiguration::FromVector(bytes) != configuration) {
            image.failure = "it does not read back as the same configuration";
            return image;
        }
        image.bytes = std::move(bytes);
    } catch (const ElvarinException& error) {
        image.failure = error.Message();
    }
    return image;
}

}  // namespace TavFiles
