// A floor for the bench: what a window program of Trawlix's kind costs on this system before any
// code of ours runs. Built twice from this file:
//   BenchBareFloor      a bare window with a 60-second timer;
//   BenchControlsFloor  (BENCH_FLOOR_CONTROLS) the same with Trawlix's manifest, the common controls
//                       and one button, edit box, combo box, label and menu bar.
#include <windows.h>
#ifdef BENCH_FLOOR_CONTROLS
#include <commctrl.h>
#endif

namespace {

LRESULT CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

#ifdef BENCH_FLOOR_CONTROLS
void addControls(HWND window, HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    struct {
        const char* className;
        const char* text;
        DWORD style;
        int left, top, width, height;
    } const kControls[] = {
        {"BUTTON", "Button", BS_PUSHBUTTON | WS_TABSTOP, 80, 120, 81, 25},
        {"EDIT", "3", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 344, 32, 65, 19},
        {"COMBOBOX", "", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 224, 88, 129, 120},
        {"STATIC", "Label", SS_LEFT, 72, 32, 265, 17},
    };
    for (const auto& c : kControls)
        CreateWindowExA(0, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style, c.left, c.top, c.width, c.height,
                        window, nullptr, instance, nullptr);
}
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = floorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "BenchFloor";
    RegisterClassA(&windowClass);

    HMENU menuBar = nullptr;
#ifdef BENCH_FLOOR_CONTROLS
    menuBar = CreateMenu();
    AppendMenuA(menuBar, MF_STRING, 1, "Menu");
#endif
    // Trawlix's client area and frame, so that both paint the same.
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame{0, 0, 455, 181};
    AdjustWindowRectEx(&frame, kStyle, menuBar != nullptr, 0);
    HWND window = CreateWindowExA(0, "BenchFloor", "Bench floor", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, menuBar, instance,
                                  nullptr);
    if (!window) return 1;
#ifdef BENCH_FLOOR_CONTROLS
    addControls(window, instance);
#endif
    SetTimer(window, 1, 60000, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
