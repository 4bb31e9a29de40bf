// The main window in the notification area: minimizing hides it behind the icon, the icon's mouse
// codes restore it or open the popup menu, and the ways out of the program.
#include "TrawlixWindow.h"
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
