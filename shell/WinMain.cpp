// Trawlix starts with its main window; the window's message loop is the program's only loop.
#include <windows.h>
#include <commctrl.h>

#include "shell/Win32APIcalls.h"
#include "shell/AboutWindow.h"
#include "shell/TrawlixWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    trawlix::Win32APIcalls api;
    trawlix::Trawlix mainWindow(instance, api);
    if (!mainWindow.Create()) return 1;

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (trawlix::frmAbout::TranslateDialogMessage(&message) || mainWindow.TranslateDialogMessage(&message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
