#include "ClientFinder.h"

#include <cstring>
#include <string_view>

namespace trawlix {

WindowHandle clientWindow = 0;

namespace {
// Windows' "(Not Responding)" window: it takes a frozen window's place, its title begins with the
// frozen one's, and it answers messages itself. Keys sent to it work its system menu, which offers
// to close the client.
bool isGhostWindow(APIcalls& api, WindowHandle window) {
    char name[8] = "";
    api.GetClassNameA(window, name, sizeof name);
    return std::string_view(name) == "Ghost";
}
}  // namespace

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

bool clientAnswers(APIcalls& api, WindowHandle window) {
    return api.SendMessageTimeoutA(window, WM_NULL_MESSAGE, 0, 0, SMTO_BLOCK_FLAG, kClientAnswerTimeoutMs);
}

bool runsAboveThisProgram(APIcalls& api, WindowHandle window) {
    std::uint32_t process = 0;
    api.GetWindowThreadProcessId(window, &process);
    const std::optional<std::uint32_t> theirs = api.ProcessIntegrityLevel(process);
    const std::optional<std::uint32_t> ours = api.ProcessIntegrityLevel(api.GetCurrentProcessId());
    return theirs && ours && *theirs > *ours;
}

std::int32_t FindClientWindowProc(WindowHandle window, std::intptr_t appValue) {
    auto& search = *reinterpret_cast<ClientSearch*>(appValue);
    APIcalls& api = search.api;
    if (!titleMarksClient(readWindowTitle(api, window)) || isGhostWindow(api, window)) return 1;
    clientWindow = window;
    search.outOfReach = runsAboveThisProgram(api, window);
    if (search.outOfReach) return 0;
    // Asked before it is brought forward: a frozen client in front would take the user's next keys
    // when it wakes.
    search.answered = clientAnswers(api, window);
    if (search.answered) {
        api.SetForegroundWindow(window);
        // Posted, not sent: a client that stops responding now must not stop this program too.
        api.ShowWindowAsync(window, SW_SHOWMAXIMIZED_CMD);
    }
    return 0;
}

}  // namespace trawlix
