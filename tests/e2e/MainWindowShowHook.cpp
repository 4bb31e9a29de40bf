// A hook that an end-to-end test sets on every program of the test desktop, so that Windows loads
// this DLL into Trawlix.exe too: it signals the test's named event whenever a window of Trawlix's
// main window class is shown, however briefly. Exported by MainWindowShowHook.def.
#include <windows.h>

extern "C" LRESULT CALLBACK watchMainWindowShows(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    // Every way of showing a window (ShowWindow, SetWindowPos) ends in this message.
    if (code == HC_ACTION && sent->message == WM_WINDOWPOSCHANGED &&
        (reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_SHOWWINDOW)) {
        char className[32] = "";
        GetClassNameA(sent->hwnd, className, sizeof className);
        if (lstrcmpA(className, "TrawlixMainWindow") == 0) {
            HANDLE shown = OpenEventA(EVENT_MODIFY_STATE, FALSE, "TrawlixMainWindowShown");
            if (shown) {
                SetEvent(shown);
                CloseHandle(shown);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
