// The About box: a modeless dialog with the program's description and its three links.
#pragma once

#include <windows.h>

#include "APIcalls/APIcalls.h"

namespace trawlix {

class frmAbout {
public:
    // Loads the box when it is not open (running its Form_Load) and shows it modeless without an
    // owner; when it is open, only brings it to the front.
    static void Show(HINSTANCE instance, HICON icon, APIcalls& api);
    // Closes the box when it is open; nothing otherwise.
    static void Unload();
    // For the message loop: gives the box its keyboard handling (Tab, Enter, Esc).
    static bool TranslateDialogMessage(MSG* message);

private:
    frmAbout(HINSTANCE instance, HICON icon, APIcalls& api);

    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void Form_Load();
    void cmdOK_Click();
    void cmdEmailme_Click();
    void Command1_Click();
    void Label2_Click();
    void Label3_Click();

    void createControls();
    HWND addControl(const char* className, const char* text, DWORD style, int left, int top, int width, int height,
                    int id);
    void onCommand(int id, int code);
    void moveFocus(bool backwards);
    void showAsDefault(HWND focused);
    LRESULT colorLabel(HDC dc, HWND label);
    void drawIcon(const DRAWITEMSTRUCT& item);
    void drawFeatures(const DRAWITEMSTRUCT& item);
    void paintSeparator();

    // The open box; at most one per process.
    static frmAbout* current_;

    HINSTANCE instance_;
    HICON icon_;
    APIcalls& api_;
    HWND hwnd_ = nullptr;
    HWND cmdEmailme_ = nullptr;
    HWND Command1_ = nullptr;
    HWND picIcon_ = nullptr;
    HWND cmdOK_ = nullptr;
    HWND Label3_ = nullptr;
    HWND Label2_ = nullptr;
    HWND Label1_ = nullptr;
    HWND lblTitle_ = nullptr;
    HWND lblDisclaimer_ = nullptr;
    // The control that gets the focus back when the box is activated again.
    HWND lastFocus_ = nullptr;
};

}  // namespace trawlix
