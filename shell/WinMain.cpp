// Trawlix starts with its main window; the window's message loop is the program's only loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "panel/SingleCopy.h"
#include "shell/Win32APIcalls.h"
#include "shell/AboutWindow.h"
#include "shell/TrawlixWindow.h"

namespace {

// DLLs loaded from now on come from the system folder only, never from the program's folder or the
// current directory. The DLLs the program imports are loaded before this runs: all are system DLLs,
// and comctl32 comes from the side-by-side store that the manifest names. SetDefaultDllDirectories
// is looked up because Windows 7 without its 2011 loader update lacks it; there, at least the
// current directory leaves the search.
void restrictDllSearch() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefaultDllDirectories) setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    else SetDllDirectoryW(L"");
}

// "/enable" (in any case) starts the cycle at once, as the Enable button does; the sign-in entry
// uses it. Any other argument is ignored. The C runtime has split the command line already, and
// shell32, which could split it again, is loaded only when the icon or a link first needs it.
bool enableRequested() {
    for (int i = 1; i < __argc; ++i)
        if (lstrcmpiA(__argv[i], "/enable") == 0) return true;
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    restrictDllSearch();
    trawlix::Win32APIcalls api;
    // One copy per sign-in: a later start has the running one shown, or waits for it to end.
    const bool enable = enableRequested();
    if (trawlix::decideStart(api, enable) == trawlix::StartDecision::End) return 0;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    trawlix::Trawlix mainWindow(instance, api);
    if (!mainWindow.Create()) return 1;
    if (enable) mainWindow.Enable();
    else mainWindow.Show();

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (trawlix::frmAbout::TranslateDialogMessage(&message) || mainWindow.TranslateDialogMessage(&message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
