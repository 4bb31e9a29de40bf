#include "TrawlixWindow.h"

#include <commctrl.h>

#include "about/AboutTexts.h"
#include "shell/AboutWindow.h"
#include "common/AppInfo.h"
#include "shell/ControlIds.h"
#include "panel/Arming.h"
#include "panel/Settings.h"
#include "panel/SingleCopy.h"
#include "panel/TrayIcon.h"

namespace trawlix {

namespace {
// Later starts find the running copy's window by its class (panel/SingleCopy.h), the installer too.
constexpr const char* kClassName = kMainWindowClass;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kClientWidth = 455;
constexpr int kClientHeight = 181;

struct ControlSpec {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;
};

// In tab order: the creation order is the order Tab walks the focus (labels take none). Each box
// comes right after its label, where a screen reader looks for the box's name.
const ControlSpec kControls[] = {
    {ids::go, "BUTTON", "Enable", BS_PUSHBUTTON | WS_TABSTOP, 0, 80, 120, 81, 25},
    {ids::stops, "BUTTON", "Disable", BS_PUSHBUTTON | WS_TABSTOP, 0, 184, 120, 81, 25},
    {ids::Label1, "STATIC", "Number of simulatneous downloads you want in KaZaA", SS_LEFT, 0, 72, 32, 265, 17},
    {ids::numberdl, "EDIT", "3", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 344, 32, 65, 19},
    {ids::Label2, "STATIC", "How often do you want to find more sources", SS_LEFT, 0, 72, 64, 225, 17},
    {ids::Label3, "STATIC", "Every", SS_LEFT, 0, 72, 88, 33, 17},
    {ids::interval, "EDIT", "10", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 112, 88, 105, 21},
    // The height includes the drop-down list.
    {ids::timeunits, "COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 0, 224, 88, 129, 120},
    {ids::Label4, "STATIC", "Status: Disabled", SS_LEFT, 0, 184, 152, 81, 17},
    {ids::Command1, "BUTTON", "Exit", BS_PUSHBUTTON | WS_TABSTOP, 0, 288, 120, 73, 25},
};
}  // namespace

Trawlix::Trawlix(HINSTANCE instance, APIcalls& api) : instance_(instance), api_(api) {}

bool Trawlix::Create() {
    icon_ = LoadIconA(instance_, MAKEINTRESOURCEA(1));
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = icon_;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExA(&windowClass);

    HMENU menuBar = CreateMenu();
    AppendMenuA(menuBar, MF_STRING, ids::mnusave, "Load Default Settings     ");
    AppendMenuA(menuBar, MF_STRING, ids::mnuAbout, "About     ");
    AppendMenuA(menuBar, MF_STRING, ids::mnuDonate, "Donate!");
    popupMenu_ = CreatePopupMenu();
    AppendMenuA(popupMenu_, MF_STRING, ids::mnuShow, "&Show");
    AppendMenuA(popupMenu_, MF_STRING, ids::mnuEnable, "&Enable");
    AppendMenuA(popupMenu_, MF_STRING, ids::mnuDisable, "&Disable");
    AppendMenuA(popupMenu_, MF_STRING, ids::mnuExit, "&Exit");

    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, TRUE, 0);
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    secondStart_ = RegisterWindowMessageA(kSecondStartMessageName);
    window_ = CreateWindowExA(0, kClassName, kWindowTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, menuBar, instance_, this);
    return window_ != nullptr;
}

void Trawlix::Show() {
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
}

bool Trawlix::TranslateDialogMessage(MSG* message) {
    // No dialog keys (Tab, Enter) while the window is hidden: they would reach its controls.
    return window_ && IsWindowVisible(window_) && IsDialogMessageA(window_, message);
}

void Trawlix::RestoreFocus() {
    // Back to the control that had the focus, so Tab and the buttons' keys keep working.
    HWND focus = savedFocus_ && IsWindowEnabled(savedFocus_) ? savedFocus_ : Control(ids::go);
    if (!IsWindowEnabled(focus)) focus = Control(ids::stops);
    SetFocus(focus);
}

LRESULT CALLBACK Trawlix::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Trawlix*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Trawlix*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return self ? self->HandleMessage(message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT Trawlix::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        Form_Load();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (IsChild(window_, focus)) savedFocus_ = focus;
        } else if (!HIWORD(wParam) && IsWindowVisible(window_)) {
            RestoreFocus();
        } else {
            // Hidden behind the icon (the popup menu brings the window to the front) or minimized:
            // no control may take keys nobody can see, such as Enter on "Disable".
            SetFocus(window_);
        }
        return 0;
    case WM_SIZE:
        Form_Resize();
        return 0;
    case WM_MOUSEMOVE:
        // Also the notification icon's callback: the mouse code arrives as the X coordinate.
        Form_MouseMove(static_cast<short>(LOWORD(lParam)));
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTimerId) Timer_Timer();
        else if (wParam == ids::TrayRetry) TrayRetry_Timer();
        return 0;
    case WM_CLOSE:
        Form_Unload();
        DestroyWindow(window_);
        return 0;
    case WM_ENDSESSION:
        if (!wParam) return 0;
        Form_Unload();
        // At a sign-out Windows ends the process after this message. An installer closing
        // applications through the Restart Manager expects the program to end itself, as Exit does;
        // until then every start would find it closing.
        if (lParam & ENDSESSION_CLOSEAPP) DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        DeleteObject(font_);
        PostQuitMessage(0);
        return 0;
    case kSecondStartShow:
        SecondStart_Show();
        return 0;
    default:
        if (message == taskbarCreated_ && taskbarCreated_ != 0) {
            OnTaskbarCreated();
            return 0;
        }
        if (message == secondStart_ && secondStart_ != 0) return OnSecondStart(wParam);
        return DefWindowProcA(window_, message, wParam, lParam);
    }
}

void Trawlix::CreateControls() {
    // 8-point MS Sans Serif: the face the layout's widths were measured in.
    HDC screen = GetDC(nullptr);
    font_ = CreateFontA(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
    ReleaseDC(nullptr, screen);
    for (const ControlSpec& c : kControls) {
        HWND control = CreateWindowExA(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | c.style, c.left, c.top,
                                       c.width, c.height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                       instance_, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
    HWND units = Control(ids::timeunits);
    SendMessageA(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Minutes"));
    SendMessageA(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Hours"));
    SetWindowTextA(units, "Minutes");
    SetWindowSubclass(Control(ids::numberdl), NumberBoxProc, 0, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(Control(ids::interval), NumberBoxProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

void Trawlix::OnCommand(int id) {
    switch (id) {
    case ids::go:
        go_Click();
        break;
    case ids::stops:
        stops_Click();
        break;
    case ids::Command1:
        Command1_Click();
        break;
    case ids::mnusave:
        mnusave_Click();
        break;
    case ids::mnuAbout:
        mnuAbout_Click();
        break;
    case ids::mnuDonate:
        mnuDonate_Click();
        break;
    case ids::mnuShow:
        mnuShow_Click();
        break;
    case ids::mnuEnable:
        mnuEnable_Click();
        break;
    case ids::mnuDisable:
        mnuDisable_Click();
        break;
    case ids::mnuExit:
        mnuExit_Click();
        break;
    default:
        break;
    }
}

void Trawlix::Form_Load() {
    // Centred on the whole primary display, taskbar or not.
    RECT outer;
    GetWindowRect(window_, &outer);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EnableWindow(Control(ids::stops), FALSE);
    trayIcon = makeTrayIconRecord(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window_)),
                                  static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(icon_)));
    ShowTexts(loadSettings(api_));
}

void Trawlix::Form_Unload() {
    // Runs once, however the window goes: Exit, the popup's Exit, the close box, log-off.
    if (unloaded_) return;
    unloaded_ = true;
    api_.Shell_NotifyIconA(NIM_DELETE_CODE, trayIcon);
    saveSettings(api_, Texts());
    frmAbout::Unload();
}

void Trawlix::mnusave_Click() { ShowTexts(restoreDefaultSettings(api_)); }

PanelTexts Trawlix::Texts() const {
    return {ControlText(ids::numberdl), ControlText(ids::interval), ControlText(ids::timeunits)};
}

void Trawlix::ShowTexts(const PanelTexts& texts) {
    SetWindowTextA(Control(ids::numberdl), texts.numberdl.c_str());
    SetWindowTextA(Control(ids::interval), texts.interval.c_str());
    SetWindowTextA(Control(ids::timeunits), texts.timeunits.c_str());
}

std::string Trawlix::ControlText(int id) const {
    HWND control = Control(id);
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Trawlix::Timer_Timer() {
    if (cycle_.Timer_Timer() == TickResult::ClientNotRunning) UnloadAndEnd();
}

void Trawlix::mnuAbout_Click() { frmAbout::Show(instance_, icon_, api_); }

void Trawlix::mnuDonate_Click() { openLink(api_, reinterpret_cast<WindowHandle>(window_), kDonateFile); }

}  // namespace trawlix
