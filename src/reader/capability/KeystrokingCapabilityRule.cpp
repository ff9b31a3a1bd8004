#include "Tavelin/KeystrokingCapabilityRule.h"

#include <string_view>

#include "common/FixedText.h"

namespace Tav {

// Judged on the part number up to its second '-' ("AB-1234-5" -> "AB-1234"): a '2' fourth from
// the end marks a reader without keystroking.
bool KeystrokingCapabilityRule::Evaluate() const {
    if (metadata_.PartNumberAvailable == 0) {
        return true;
    }
    std::string_view model = TavCommon::ReadFixedField(metadata_.PartNumber);
    if (const auto first = model.find('-'); first != std::string_view::npos) {
        if (const auto second = model.find('-', first + 1); second != std::string_view::npos) {
            model = model.substr(0, second);
        }
    }
    return !(model.size() > 3 && model[model.size() - 4] == '2');
}

}  // namespace Tav
