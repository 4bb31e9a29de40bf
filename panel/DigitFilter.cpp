#include "DigitFilter.h"

namespace trawlix {

bool digitKeyPasses(std::uint16_t code) { return code == 8 || code == 127 || (code >= '0' && code <= '9'); }

std::uint16_t digitFilter(std::uint16_t code, APIcalls& api) {
    if (digitKeyPasses(code)) return code;
    api.MsgBox(kDigitsOnlyMessage);
    return 0;
}

}  // namespace trawlix
