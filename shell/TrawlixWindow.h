// The main window: the three inputs, the Enable, Disable and Exit buttons, the status line, the
// one-minute timer, the menu bar and the notification icon's popup menu.
#pragma once

#include <windows.h>

#include <string>

#include "APIcalls/APIcalls.h"
#include "automation/AutomationCycle.h"
#include "common/PanelState.h"

namespace trawlix {

class Trawlix {
public:
    Trawlix(HINSTANCE instance, APIcalls& api);
    // Creates the window (running Form_Load), hidden.
    bool Create();
    // Shows the window in the normal state.
    void Show();
    // A start with /enable: arms with the stored settings and goes to the notification area without
    // ever showing the window; settings that arming refuses are shown with their message instead.
    void Enable();
    // The message loop's keyboard handling for the window's controls (Tab moves the focus).
    bool TranslateDialogMessage(MSG* message);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK NumberBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                          DWORD_PTR self);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void RestoreFocus();
    void OnCommand(int id);

    // Start-up and settings (TrawlixWindow.cpp)
    void Form_Load();
    void Form_Unload();
    void mnusave_Click();
    PanelTexts Texts() const;
    void ShowTexts(const PanelTexts& texts);

    // Notification area and the ways out (TrayHandlers.cpp)
    void Form_Resize();
    void AddTrayIcon();
    void TrayRetry_Timer();
    void Form_MouseMove(int x);
    void ShowPopupMenu();
    void mnuShow_Click();
    void Command1_Click();
    void mnuExit_Click();
    void UnloadAndEnd();
    void OnTaskbarCreated();
    LRESULT OnSecondStart(WPARAM request);
    void SecondStart_Show();
    void BringOpenMessageBoxForward();

    // Arming, disarming and the digit filter (ArmingHandlers.cpp)
    void go_Click();
    void mnuEnable_Click();
    void stops_Click();
    void mnuDisable_Click();
    bool Arm();
    void Disarm();
    void ShowArmedState();
    bool NumberBox_KeyPress(WPARAM& code);

    // The automation cycle and the About box (TrawlixWindow.cpp)
    void Timer_Timer();
    void mnuAbout_Click();
    void mnuDonate_Click();

    HWND Control(int id) const { return GetDlgItem(window_, id); }
    std::string ControlText(int id) const;

    HINSTANCE instance_;
    APIcalls& api_;
    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    HFONT font_ = nullptr;
    HMENU popupMenu_ = nullptr;  // mnuPopup: never in the menu bar, shown from the notification icon
    HWND savedFocus_ = nullptr;
    UINT taskbarCreated_ = 0;
    UINT secondStart_ = 0;  // a later start's request (panel/SingleCopy.h)
    // Posted to itself: the show a later start asked for, run once the request has been answered.
    static constexpr UINT kSecondStartShow = WM_APP + 1;
    bool unloaded_ = false;
    PanelState state_;
    AutomationCycle cycle_{state_, api_};
};

}  // namespace trawlix
