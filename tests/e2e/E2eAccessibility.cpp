#include <oleacc.h>

#include "E2eSupport.h"

namespace e2e {

std::string accessibleName(HWND control) {
    IAccessible* accessible = nullptr;
    // __uuidof: MinGW's oleacc library also exports a symbol of IID_IAccessible's name, not the GUID.
    const HRESULT result = AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                                      reinterpret_cast<void**>(&accessible));
    if (FAILED(result)) return "(no accessible object: " + std::to_string(static_cast<unsigned long>(result)) + ")";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::string text = "(no name)";
    if (accessible->get_accName(self, &name) == S_OK && name) {
        char buffer[256] = "";
        WideCharToMultiByte(CP_ACP, 0, name, -1, buffer, sizeof buffer, nullptr, nullptr);
        text = buffer;
    }
    SysFreeString(name);
    accessible->Release();
    return text;
}

}  // namespace e2e
