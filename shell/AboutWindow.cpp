#include "AboutWindow.h"

#include <string>

#include "shell/AboutControlIds.h"
#include "about/AboutTexts.h"
#include "common/AppInfo.h"

namespace trawlix {

namespace {

constexpr const char* kClassName = "TrawlixAbout";
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

using namespace about_ids;

// The layout is kept in twips; the screen has 15 twips per pixel.
int px(int twips) { return (twips + 7) / 15; }

constexpr COLORREF kLinkColor = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

}  // namespace

frmAbout* frmAbout::current_ = nullptr;

frmAbout::frmAbout(HINSTANCE instance, HICON icon, APIcalls& api) : instance_(instance), icon_(icon), api_(api) {}

void frmAbout::Show(HINSTANCE instance, HICON icon, APIcalls& api) {
    if (current_) {
        if (IsIconic(current_->hwnd_)) ShowWindow(current_->hwnd_, SW_RESTORE);
        SetForegroundWindow(current_->hwnd_);
        return;
    }

    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (!GetClassInfoExA(instance, kClassName, &existing)) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance;
        // The program's icon, as the main window's: big for Alt+Tab, small for the title bar.
        wc.hIcon = icon;
        wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                   LR_SHARED));
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExA(&wc)) return;
    }

    // The client area's top-left is the fixed start position; the frame goes around it.
    RECT frame{px(2340), px(1935), px(2340) + px(5730), px(1935) + px(4080)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);

    auto* form = new frmAbout(instance, icon, api);
    current_ = form;
    HWND window = CreateWindowExA(kExStyle, kClassName, "", kStyle, frame.left, frame.top, frame.right - frame.left,
                                  frame.bottom - frame.top, nullptr, nullptr, instance, form);
    if (!window) {
        // A window that got as far as WM_NCDESTROY has already freed its form.
        if (current_ == form) {
            current_ = nullptr;
            delete form;
        }
        return;
    }
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

void frmAbout::Unload() {
    if (current_) DestroyWindow(current_->hwnd_);
}

bool frmAbout::TranslateDialogMessage(MSG* message) {
    if (!current_) return false;
    HWND box = current_->hwnd_;
    if (message->hwnd != box && !IsChild(box, message->hwnd)) return false;
    // IsDialogMessage would walk the stacking order; the box tabs in its own order.
    if (message->message == WM_KEYDOWN) {
        switch (message->wParam) {
        case VK_TAB:
            current_->moveFocus(GetKeyState(VK_SHIFT) < 0);
            return true;
        case VK_LEFT:
        case VK_UP:
            current_->moveFocus(true);
            return true;
        case VK_RIGHT:
        case VK_DOWN:
            current_->moveFocus(false);
            return true;
        default:
            break;
        }
    }
    return IsDialogMessageA(box, message) != FALSE;
}

LRESULT CALLBACK frmAbout::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    frmAbout* self;
    if (message == WM_NCCREATE) {
        self = static_cast<frmAbout*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<frmAbout*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    return self->onMessage(message, wParam, lParam);
}

LRESULT frmAbout::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        // The box has a task-list entry of its own, and the task list asks the window first.
        SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(GetClassLongPtrA(hwnd_, GCLP_HICONSM)));
        createControls();
        Form_Load();
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case DM_GETDEFID:
        // Enter presses the focused button; with the focus on none of them, this one.
        return MAKELRESULT(idCmdEmailme, DC_HASDEFID);
    case WM_ACTIVATE:
        // Like a dialog: the focus returns to the control that had it, not to the frame.
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) SetFocus(lastFocus_ ? lastFocus_ : cmdOK_);
        return 0;
    case WM_SETFOCUS:
        SetFocus(lastFocus_ ? lastFocus_ : cmdOK_);
        return 0;
    case WM_CTLCOLORSTATIC:
        return colorLabel(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        if (wParam == idPicIcon) {
            drawIcon(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        if (wParam == idLabel1) {
            drawFeatures(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_PAINT:
        paintSeparator();
        return 0;
    case WM_NCDESTROY: {
        HWND window = hwnd_;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        if (current_ == this) current_ = nullptr;
        delete this;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void frmAbout::Form_Load() {
    SetWindowTextA(hwnd_, (std::string("About ") + kAppTitle).c_str());
    SetWindowTextA(lblTitle_, kAppTitle);
}

void frmAbout::cmdOK_Click() { DestroyWindow(hwnd_); }

void frmAbout::cmdEmailme_Click() { Label2_Click(); }

void frmAbout::Command1_Click() { openLink(api_, reinterpret_cast<WindowHandle>(hwnd_), kDonateFile); }

void frmAbout::Label2_Click() { openLink(api_, reinterpret_cast<WindowHandle>(hwnd_), kEmailMeFile); }

void frmAbout::Label3_Click() { openLink(api_, reinterpret_cast<WindowHandle>(hwnd_), kHomePageFile); }

void frmAbout::createControls() {
    constexpr DWORD button = WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
    constexpr DWORD label = SS_LEFT | SS_NOPREFIX;
    const std::string features = featureList();
    const std::string note = contactNote();

    // Top of the stack first: the two links lie on the note and must get its clicks.
    cmdEmailme_ = addControl("BUTTON", "Email the Author", button, 4125, 3120, 1380, 345, idCmdEmailme);
    Command1_ = addControl("BUTTON", "Donate!", button, 4125, 3600, 1380, 345, idCommand1);
    picIcon_ = addControl("STATIC", "", SS_OWNERDRAW, 240, 240, 540, 540, idPicIcon);
    cmdOK_ = addControl("BUTTON", "OK", button, 4125, 2640, 1380, 345, idCmdOK);
    Label3_ = addControl("STATIC", kAuthorWebSite, label | SS_NOTIFY, 240, 3720, 1455, 255, idLabel3);
    Label2_ = addControl("STATIC", "here", label | SS_NOTIFY, 2445, 2745, 1335, 255, idLabel2);
    Label1_ = addControl("STATIC", features.c_str(), SS_OWNERDRAW, 960, 480, 4575, 1935, idLabel1);
    lblTitle_ = addControl("STATIC", "", label, 960, 240, 3885, 240, idLblTitle);
    lblDisclaimer_ = addControl("STATIC", note.c_str(), label, 255, 2745, 3870, 1305, idLblDisclaimer);

    // Pin the stacking order rather than rely on where the system inserts new children.
    const HWND stack[] = {cmdEmailme_, Command1_, picIcon_,  cmdOK_,        Label3_,
                          Label2_,     Label1_,   lblTitle_, lblDisclaimer_};
    for (std::size_t i = 1; i < sizeof stack / sizeof stack[0]; ++i)
        SetWindowPos(stack[i], stack[i - 1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    lastFocus_ = cmdOK_;
    showAsDefault(cmdOK_);
}

HWND frmAbout::addControl(const char* className, const char* text, DWORD style, int left, int top, int width,
                          int height, int id) {
    HWND control = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, px(left),
                                   px(top), px(width), px(height), hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
}

void frmAbout::onCommand(int id, int code) {
    if (code == BN_SETFOCUS) {
        lastFocus_ = GetDlgItem(hwnd_, id);
        showAsDefault(lastFocus_);
        return;
    }
    if (code != BN_CLICKED) return;  // STN_CLICKED has the same value
    switch (id) {
    case IDCANCEL:  // Esc
    case idCmdOK:
        cmdOK_Click();
        break;
    case IDOK:  // Enter with no button to press
    case idCmdEmailme:
        cmdEmailme_Click();
        break;
    case idCommand1:
        Command1_Click();
        break;
    case idLabel2:
        Label2_Click();
        break;
    case idLabel3:
        Label3_Click();
        break;
    default:
        break;
    }
}

void frmAbout::moveFocus(bool backwards) {
    // By tab index: cmdOK, Command1, cmdEmailme; the other controls take no focus.
    const HWND order[] = {cmdOK_, Command1_, cmdEmailme_};
    constexpr int count = sizeof order / sizeof order[0];
    const HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < count; ++i)
        if (order[i] == focus) at = i;
    int next;
    if (at < 0) next = backwards ? count - 1 : 0;
    else next = (at + (backwards ? count - 1 : 1)) % count;
    SetFocus(order[next]);
}

void frmAbout::showAsDefault(HWND focused) {
    // As in a dialog, the focused button wears the default frame, because Enter presses it.
    const HWND def = focused ? focused : cmdEmailme_;
    for (HWND b : {cmdOK_, Command1_, cmdEmailme_}) {
        const WPARAM style = (b == def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY;
        if ((static_cast<DWORD>(GetWindowLongA(b, GWL_STYLE)) & 0xFFFF) != style)
            SendMessageA(b, BM_SETSTYLE, style, TRUE);
    }
}

LRESULT frmAbout::colorLabel(HDC dc, HWND label) {
    COLORREF text = kBlack;
    if (label == Label2_ || label == Label3_) text = kLinkColor;
    SetTextColor(dc, text);
    // Opaque: a link label hides the part of the note it lies on.
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void frmAbout::drawIcon(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (icon_) DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, icon_, 0, 0, 0, nullptr, DI_NORMAL);
}

void frmAbout::drawFeatures(const DRAWITEMSTRUCT& item) {
    // The blanks between the items were counted to fill lines of one particular font; drawing each
    // item from the start of a line keeps the list readable in any font.
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const int length = GetWindowTextLengthA(item.hwndItem);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(item.hwndItem, text.data(), length + 1)));

    HGDIOBJ oldFont = SelectObject(item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    SetBkMode(item.hDC, TRANSPARENT);
    RECT line = item.rcItem;
    for (const std::string& part : splitAtBlankRuns(text)) {
        if (line.top >= item.rcItem.bottom) break;
        line.top += DrawTextA(item.hDC, part.c_str(), static_cast<int>(part.size()), &line,
                              DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    }
    SelectObject(item.hDC, oldFont);
}

void frmAbout::paintSeparator() {
    // The etched line: a grey line with a 2-pixel white line just below it.
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    HPEN white = CreatePen(PS_SOLID, 2, RGB(255, 255, 255));
    HPEN grey = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    HGDIOBJ old = SelectObject(dc, white);
    MoveToEx(dc, px(105), px(2580), nullptr);
    LineTo(dc, px(5654), px(2580));
    SelectObject(dc, grey);
    MoveToEx(dc, px(90), px(2565), nullptr);
    LineTo(dc, px(5654), px(2565));
    SelectObject(dc, old);
    DeleteObject(white);
    DeleteObject(grey);
    EndPaint(hwnd_, &ps);
}

}  // namespace trawlix
