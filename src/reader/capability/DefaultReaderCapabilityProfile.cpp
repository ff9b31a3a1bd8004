#include "Tavelin/DefaultReaderCapabilityProfile.h"

#include <initializer_list>
#include <utility>

#include "Tavelin/BaudRateCapabilityRule.h"
#include "Tavelin/ConfigurationBlock5CapabilityRule.h"
#include "Tavelin/ExtendedConfigurationCapabilityRule.h"
#include "Tavelin/KeystrokingCapabilityRule.h"
#include "Tavelin/TransparentModeCapabilityRule.h"

namespace Tav {

DefaultReaderCapabilityProfile::DefaultReaderCapabilityProfile(const ReaderMetadataStruct& metadata,
                                                               std::weak_ptr<TavProtocol::ProtocolFacade> facade)
    : ReaderCapabilityProfile(metadata),
      dataProvider_(std::make_unique<DefaultCapabilityDataProvider>(std::move(facade))) {
    using enum ReaderCapability;
    const auto registerPlain = [this](std::initializer_list<ReaderCapability> capabilities) {
        for (const ReaderCapability capability : capabilities) {
            RegisterRule(capability, std::make_unique<CapabilityRule>(metadata_));
        }
    };
    RegisterRule(READER_CAPABILITY_BAUD_RATE, std::make_unique<BaudRateCapabilityRule>(metadata_));
    RegisterRule(READER_CAPABILITY_CONFIGURATION_BLOCK_5,
                 std::make_unique<ConfigurationBlock5CapabilityRule>(metadata_));
    RegisterRule(READER_CAPABILITY_KEYSTROKING, std::make_unique<KeystrokingCapabilityRule>(metadata_));
    registerPlain({READER_CAPABILITY_BEEPER, READER_CAPABILITY_SMART_CARD, READER_CAPABILITY_BLUETOOTH,
                   READER_CAPABILITY_HID_MOBILE, READER_CAPABILITY_HID_SE, READER_CAPABILITY_NXP_SE,
                   READER_CAPABILITY_FELICA, READER_CAPABILITY_LEGIC});
    RegisterRule(READER_CAPABILITY_TRANSPARENT_MODE, std::make_unique<TransparentModeCapabilityRule>(metadata_));
    registerPlain({READER_CAPABILITY_FINGERPRINT, READER_CAPABILITY_QUEUED_CARD_DATA, READER_CAPABILITY_SYSTEM_UPTIME,
                   READER_CAPABILITY_CONFIGURABLE, READER_CAPABILITY_MIFARE_WRITER, READER_CAPABILITY_MODULE_CONTROL,
                   READER_CAPABILITY_FIRMWARE_UPGRADE, READER_CAPABILITY_COPY_CONFIGURATION, READER_CAPABILITY_LUID,
                   READER_CAPABILITY_LED_CONFIGURATION});
    RegisterRule(READER_CAPABILITY_EXTENDED_CONFIGURATION,
                 std::make_unique<ExtendedConfigurationCapabilityRule>(metadata_));
}

// The provider goes before the rules, which the base part deletes.
DefaultReaderCapabilityProfile::~DefaultReaderCapabilityProfile() { dataProvider_.reset(); }

}  // namespace Tav
