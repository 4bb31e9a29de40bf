// Enable and Disable from the buttons and the popup menu, and the key filter of the number boxes.
#include "TrawlixWindow.h"

#include <commctrl.h>

#include "panel/Arming.h"
#include "shell/ControlIds.h"
#include "panel/DigitFilter.h"
#include "panel/TrayIcon.h"

namespace trawlix {

void Trawlix::go_Click() {
    if (!Arm()) return;
    // Minimizing already hides the window behind its icon; the second add is refused by the shell.
    ShowWindow(window_, SW_MINIMIZE);
    api_.Shell_NotifyIconA(NIM_ADD_CODE, trayIcon);
    ShowWindow(window_, SW_HIDE);
}

void Trawlix::Enable() {
    const PanelTexts texts = Texts();
    if (!periodMinutesFor(unitKind(texts.timeunits), texts.interval)) {
        // Refused: the message comes over the window, as from the Enable button.
        Show();
        go_Click();
        return;
    }
    Arm();
    // Not minimized: minimizing a window that was never shown shows it on the taskbar. This first
    // ShowWindow of the process also uses up the show command the start may carry (a shortcut set
    // to start minimized), which Windows would otherwise apply to the user's first "Show".
    ShowWindow(window_, SW_HIDE);
    AddTrayIcon();
}

void Trawlix::mnuEnable_Click() { Arm(); }

void Trawlix::stops_Click() { Disarm(); }

void Trawlix::mnuDisable_Click() { Disarm(); }

bool Trawlix::Arm() {
    switch (arm(state_, Texts(), api_, reinterpret_cast<WindowHandle>(window_))) {
    case ArmResult::Armed:
        ShowArmedState();
        return true;
    case ArmResult::UnitRefused:
        SetWindowTextA(Control(ids::timeunits), "Minutes");
        return false;
    case ArmResult::IntervalRefused:
        return false;
    }
    return false;
}

void Trawlix::Disarm() {
    disarm(state_, api_, reinterpret_cast<WindowHandle>(window_));
    ShowArmedState();
}

void Trawlix::ShowArmedState() {
    HWND go = Control(ids::go);
    HWND stops = Control(ids::stops);
    // The focus must not stay on the button that is about to be disabled.
    HWND focus = GetFocus();
    EnableWindow(go, !state_.armed);
    EnableWindow(stops, state_.armed);
    if (focus == (state_.armed ? go : stops)) SetFocus(state_.armed ? stops : go);
    SetWindowTextA(Control(ids::Label4), statusCaption(state_.armed));
}

bool Trawlix::NumberBox_KeyPress(WPARAM& code) {
    code = digitFilter(static_cast<std::uint16_t>(code), api_);
    return code != 0;
}

LRESULT CALLBACK Trawlix::NumberBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter and Esc are typed characters here (the filter answers them), not dialog keys.
        auto* key = reinterpret_cast<MSG*>(lParam);
        LRESULT code = DefSubclassProc(box, message, wParam, lParam);
        if (key && key->message == WM_KEYDOWN && (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_CHAR:
        if (!reinterpret_cast<Trawlix*>(self)->NumberBox_KeyPress(wParam)) return 0;
        break;
    default:
        break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace trawlix
