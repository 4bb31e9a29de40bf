#include "ClientFinder.h"

#include <cstring>

namespace trawlix {

WindowHandle clientWindow = 0;

bool titleMarksClient(const std::string& title) {
    return title.compare(0, std::strlen(kClientTitlePrefix), kClientTitlePrefix) == 0;
}

std::string readWindowTitle(APIcalls& api, WindowHandle window) {
    int size = api.GetWindowTextLengthA(window) + 1;
    if (size <= 1) return {};
    std::string buffer(static_cast<std::size_t>(size), ' ');
    api.GetWindowTextA(window, buffer.data(), size);
    // The title ends at the NUL the call wrote (a title that shrank meanwhile ends earlier).
    return buffer.substr(0, buffer.find('\0'));
}

std::int32_t FindClientWindowProc(WindowHandle window, std::intptr_t appValue) {
    APIcalls& api = *reinterpret_cast<APIcalls*>(appValue);
    if (!titleMarksClient(readWindowTitle(api, window))) return 1;
    api.SetForegroundWindow(window);
    // Posted, not sent: a client that has stopped responding must not stop this program too.
    api.ShowWindowAsync(window, SW_SHOWMAXIMIZED_CMD);
    clientWindow = window;
    return 0;
}

}  // namespace trawlix
