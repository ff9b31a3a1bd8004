#include "Tavelin/ConfigurationBlock5CapabilityRule.h"

#include "common/FixedText.h"
#include "common/StringUtils.h"

namespace Tav {

bool ConfigurationBlock5CapabilityRule::Evaluate() const {
    if (metadata_.ModelTextAvailable == 0) {
        return true;
    }
    const std::string model = TavCommon::StringUtils::ToLower(TavCommon::ReadFixedField(metadata_.ModelText));
    return model.find(kModelMarkerWithoutBlock5) == std::string::npos;
}

}  // namespace Tav
