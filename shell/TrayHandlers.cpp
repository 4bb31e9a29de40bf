// The main window in the notification area: minimizing hides it behind the icon, the icon's mouse
// codes restore it or open the popup menu, and the ways out of the program.
#include "TrawlixWindow.h"
#include "panel/SingleCopy.h"
#include "panel/TrayIcon.h"
#include "shell/ControlIds.h"

namespace trawlix {

void Trawlix::Form_Resize() {
    if (!IsIconic(window_)) return;
    AddTrayIcon();
    ShowWindow(window_, SW_HIDE);
}

void Trawlix::AddTrayIcon() {
    // At sign-in the notification area may not exist yet: the add is tried again every second
    // until the icon is there or the window is back on the desktop.
    if (addTrayIcon(api_)) KillTimer(window_, ids::TrayRetry);
    else SetTimer(window_, ids::TrayRetry, ids::TrayRetryIntervalMs, nullptr);
}

void Trawlix::TrayRetry_Timer() {
    if (IsWindowVisible(window_)) KillTimer(window_, ids::TrayRetry);
    else AddTrayIcon();
}

void Trawlix::Form_MouseMove(int x) {
    if (x == kTrayDoubleClick) mnuShow_Click();
    else if (x == kTrayRightButtonDown) ShowPopupMenu();
}

void Trawlix::ShowPopupMenu() {
    // A notification-area menu only closes on a click elsewhere when its window is in front, and
    // the WM_NULL afterwards lets a second right click open it again.
    POINT pointer;
    GetCursorPos(&pointer);
    SetForegroundWindow(window_);
    TrackPopupMenu(popupMenu_, 0, pointer.x, pointer.y, 0, window_, nullptr);
    PostMessageA(window_, WM_NULL, 0, 0);
}

void Trawlix::mnuShow_Click() {
    ShowWindow(window_, SW_RESTORE);
    api_.Shell_NotifyIconA(NIM_DELETE_CODE, trayIcon);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    // Chosen from the popup menu the window was already active while hidden, so no activation
    // hands the focus back to its control.
    RestoreFocus();
}

LRESULT Trawlix::OnSecondStart(WPARAM request) {
    // Saving and going: the later start waits for this process to end and then runs itself.
    if (unloaded_) return kAnswerClosing;
    // Answered at once, shown afterwards: the request may come while this thread waits inside a
    // call of its own (the shell's icon call, say), and a show in there would be undone by the rest
    // of that handler, leaving the window hidden with no icon.
    if (request == kShowRequest) PostMessageA(window_, kSecondStartShow, 0, 0);
    return kAnswerRunning;
}

void Trawlix::SecondStart_Show() {
    if (unloaded_) return;
    mnuShow_Click();
    BringOpenMessageBoxForward();
}

namespace {
BOOL CALLBACK findVisibleMessageBox(HWND window, LPARAM found) {
    char className[8] = "";
    GetClassNameA(window, className, sizeof className);
    if (!IsWindowVisible(window) || lstrcmpiA(className, "#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}
}  // namespace

void Trawlix::BringOpenMessageBoxForward() {
    // A box opened while the window was hidden has no owner to keep it above the window just shown:
    // it comes forward, as it waits for the user's answer.
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findVisibleMessageBox, reinterpret_cast<LPARAM>(&box));
    if (box) SetForegroundWindow(box);
}

void Trawlix::Command1_Click() { UnloadAndEnd(); }

void Trawlix::mnuExit_Click() { UnloadAndEnd(); }

void Trawlix::UnloadAndEnd() {
    Form_Unload();
    DestroyWindow(window_);  // the message loop ends with it
}

void Trawlix::OnTaskbarCreated() {
    // A restarted shell starts with an empty notification area; a hidden window needs its icon back.
    if (!IsWindowVisible(window_)) AddTrayIcon();
}

}  // namespace trawlix
