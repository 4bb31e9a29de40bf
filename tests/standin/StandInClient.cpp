// A stand-in for the file-sharing client that Trawlix drives: a plain window whose title starts with
// "KaZaA - ", a menu bar, a list of made-up downloads with a context menu, and a recorder that writes
// every key and click the program's thread takes to the log file named by the first argument.
//
// Log lines (one per event, written and flushed at once, appended, "\n" ends each line):
//   key down <vk> / key up <vk>                   decimal virtual-key code
//   repeated key up <vk>                          under Wine, the release of a key not down (below)
//   button down <x> <y> / button up <x> <y>       left button, screen coordinates
//   rbutton down <x> <y> / rbutton up <x> <y>     right button
//   command <text>                                a menu or context-menu command ran
//   hang <ms> / hang over                         the window stops handling messages for that long,
//                                                 and takes them again
//   letters E R type <hex> <hex>                  at the start: the characters the E and R keys type
//                                                 in this thread's keyboard layout (UTF-16, 0: none)
//
// Options after the log path:
//   --details-once    the first "Transfers" command also opens a window of its own title in front of
//                     the main window, as a client's dialog would; Esc closes it.
//   --close-after N   the window closes, and the program ends, once N input lines are logged, as
//                     when the user closes the client or it crashes in the middle of a cycle.
//   --title TEXT      another title, for a window that only watches which keys reach it.
//   --log-only        keys are logged and then dropped: no menu opens, nothing changes, so that the
//                     bench's soak runs thousands of cycles in minutes.
//   --layout KLID     the window's thread types with that keyboard layout (e.g. 00000419, Russian),
//                     as for a user who works in it; logged as "layout <KLID>" once it is active.
//                     A layout that the user did not have is unloaded again at the end.
// The message WM_APP posted to the main window, with a time in milliseconds as wParam, makes the
// window's thread stop handling messages for that long, as a client that has hung.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string>

namespace {

bool runsUnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// Laid out by hand: a line for each menu, as the menus group their commands.
// clang-format off
enum CommandId : int {
    // Menu bar. The second menu's fifth item is the one the key script picks.
    IDM_OPEN_FOLDER = 100, IDM_EXIT,
    IDM_SHOW_SEARCH = 200, IDM_SHOW_LIBRARY, IDM_SHOW_SHARED, IDM_SHOW_WEB, IDM_SHOW_TRANSFERS,
    IDM_RESUME_ALL = 300, IDM_PAUSE_ALL,
    IDM_ABOUT = 400,
    // Context menu of the download list; every access letter is unique within it.
    IDM_RESUME = 500, IDM_PAUSE, IDM_MORE_SOURCES, IDM_CANCEL, IDM_CLEAR_FINISHED, IDM_DETAILS,
};

// What each command writes after "command "; row commands add the 1-based row (0: none selected).
struct CommandText {
    int id;
    const char* text;
};
constexpr CommandText kCommandTexts[] = {
    {IDM_OPEN_FOLDER, "open folder"},   {IDM_EXIT, "exit"},
    {IDM_SHOW_SEARCH, "show search"},   {IDM_SHOW_LIBRARY, "show library"},
    {IDM_SHOW_SHARED, "show shared"},   {IDM_SHOW_WEB, "show web"},
    {IDM_SHOW_TRANSFERS, "show transfers"},
    {IDM_RESUME_ALL, "resume all"},     {IDM_PAUSE_ALL, "pause all"},
    {IDM_ABOUT, "about"},
    {IDM_RESUME, "resume"},             {IDM_PAUSE, "pause"},
    {IDM_MORE_SOURCES, "more sources"}, {IDM_CANCEL, "cancel"},
    {IDM_CLEAR_FINISHED, "clear finished"}, {IDM_DETAILS, "details"},
};
// clang-format on

constexpr const char* kRows[] = {
    "example-file-1.iso\t42%\tdownloading",
    "holiday-video-2.avi\t7%\tdownloading",
    "podcast-episode-3.mp3\t63%\twaiting for sources",
    "lecture-notes-4.pdf\t18%\tpaused",
    "linux-demo-5.img\t100%\tfinished",
    "old-archive-6.zip\t0%\tfailed",
};

constexpr int kEventLines = 10;
// Heights chosen so that, maximized on a 1024x768 desktop, screen point (119, 150) is on the first row.
constexpr int kInfoHeight = 98;
constexpr int kRowHeight = 24;
constexpr int kEventsHeight = 150;

constexpr const char* kClientTitle = "KaZaA - Trawlix stand-in client";

// The command line: the log path, then the options above.
struct Options {
    const char* logPath = nullptr;
    bool detailsOnce = false;
    int closeAfter = 0;  // 0: never
    const char* title = kClientTitle;
    bool logOnly = false;
    const char* layout = nullptr;
};

class StandInClient {
public:
    explicit StandInClient(const Options& options);
    ~StandInClient();
    bool Create(HINSTANCE instance, int show);
    // Catches the Applications key before the focused list gets it; true when the message is used up.
    bool PreTranslate(const MSG& msg);
    void ActivateLayout(const char* klid);
    void RecordLetters();

private:
    static LRESULT CALLBACK WndProcThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam);
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

    void Form_Load();
    void Form_Resize(int width, int height);
    void Form_Unload();
    void Form_ContextMenu(int x, int y);
    void Form_Hang(DWORD milliseconds);
    void Menu_Click(int id);
    void mnuShowTransfers_Click();
    void RowCommand(int id, const char* mark);
    void ClearFinished();

    void Record(const std::string& line);
    void RecordInput(const std::string& line);
    void RecordKey(unsigned key, bool up);
    int SelectedRow() const;
    std::string RowText(int row) const;

    static StandInClient* instance_;
    HANDLE log_ = INVALID_HANDLE_VALUE;
    HWND hwnd_ = nullptr;
    HWND info_ = nullptr;
    HWND list_ = nullptr;
    HWND events_ = nullptr;
    HHOOK keyboardHook_ = nullptr;
    HHOOK mouseHook_ = nullptr;
    bool detailsOnce_ = false;
    int closeAfter_ = 0;
    int inputLines_ = 0;
    const char* title_;
    bool logOnly_ = false;
    bool keyDown_[256] = {};        // by the keys logged
    HKL previousLayout_ = nullptr;  // the layout before --layout, given back at the end
    HKL loadedLayout_ = nullptr;    // a layout this program added to the user's, to be unloaded
};

StandInClient* StandInClient::instance_ = nullptr;

StandInClient::StandInClient(const Options& options)
    : detailsOnce_(options.detailsOnce), closeAfter_(options.closeAfter), title_(options.title),
      logOnly_(options.logOnly) {
    // Shared, so the test reads the log while this program is still writing it.
    if (options.logPath && *options.logPath)
        log_ = CreateFileA(options.logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    instance_ = this;
}

StandInClient::~StandInClient() {
    // Where the user's layouts are one for all programs, this one's choice was everybody's.
    if (previousLayout_) ActivateKeyboardLayout(previousLayout_, 0);
    if (loadedLayout_) UnloadKeyboardLayout(loadedLayout_);
    if (log_ != INVALID_HANDLE_VALUE) CloseHandle(log_);
    instance_ = nullptr;
}

bool StandInClient::Create(HINSTANCE instance, int show) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProcThunk;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "TrawlixStandInClient";
    if (!RegisterClassA(&wc)) return false;

    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu(), view = CreatePopupMenu(), transfers = CreatePopupMenu(), help = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, IDM_OPEN_FOLDER, "&Open download folder");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, IDM_EXIT, "E&xit");
    // No separators here: the fifth keyboard stop must be the fifth item.
    AppendMenuA(view, MF_STRING, IDM_SHOW_SEARCH, "&Search page");
    AppendMenuA(view, MF_STRING, IDM_SHOW_LIBRARY, "&Library");
    AppendMenuA(view, MF_STRING, IDM_SHOW_SHARED, "S&hared folders");
    AppendMenuA(view, MF_STRING, IDM_SHOW_WEB, "&Web page");
    AppendMenuA(view, MF_STRING, IDM_SHOW_TRANSFERS, "&Transfers");
    AppendMenuA(transfers, MF_STRING, IDM_RESUME_ALL, "&Resume all");
    AppendMenuA(transfers, MF_STRING, IDM_PAUSE_ALL, "&Pause all");
    AppendMenuA(transfers, MF_STRING, IDM_CLEAR_FINISHED, "C&lear finished and failed");
    AppendMenuA(help, MF_STRING, IDM_ABOUT, "&About this stand-in");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(transfers), "&Transfers");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");

    hwnd_ = CreateWindowExA(0, wc.lpszClassName, title_, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640, 420,
                            nullptr, bar, instance, this);
    if (!hwnd_) return false;
    ShowWindow(hwnd_, show);
    UpdateWindow(hwnd_);
    return true;
}

bool StandInClient::PreTranslate(const MSG& msg) {
    // The hook has logged the key when it was taken from the queue.
    if (logOnly_ && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) return true;
    // The key reaches the focused list first. Opening the menu here, on the release as Windows does,
    // and swallowing both messages gives exactly one menu whatever DefWindowProc does with the key.
    if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) && msg.wParam == VK_APPS &&
        (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd))) {
        if (msg.message == WM_KEYUP) Form_ContextMenu(-1, -1);
        return true;
    }
    return false;
}

LRESULT CALLBACK StandInClient::WndProcThunk(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<StandInClient*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<StandInClient*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return self ? self->WndProc(message, wParam, lParam) : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT StandInClient::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        Form_Load();
        return 0;
    case WM_SIZE:
        Form_Resize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SETFOCUS:
        SetFocus(list_);
        return 0;
    case WM_CONTEXTMENU:
        // Only the download list has a menu; the title bar keeps the system menu.
        if (reinterpret_cast<HWND>(wParam) != list_) break;
        Form_ContextMenu(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_COMMAND:
        if (lParam == 0) Menu_Click(LOWORD(wParam));
        return 0;
    case WM_DESTROY:
        Form_Unload();
        return 0;
    case WM_APP:
        Form_Hang(static_cast<DWORD>(wParam));
        return 0;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void StandInClient::Form_Load() {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
    auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    info_ = CreateWindowExA(0, "STATIC",
                            "Trawlix stand-in client. Not a file-sharing program: the downloads below are made up.\n"
                            "Every key and click this window takes is written to the log and shown at the bottom.",
                            WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_, nullptr, instance, nullptr);
    list_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_USETABSTOPS |
                                LBS_NOINTEGRALHEIGHT,
                            0, 0, 0, 0, hwnd_, nullptr, instance, nullptr);
    events_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOSEL | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0, hwnd_,
                              nullptr, instance, nullptr);
    for (HWND child : {info_, list_, events_}) SendMessageA(child, WM_SETFONT, font, FALSE);
    // After WM_SETFONT, which resets the row height.
    SendMessageA(list_, LB_SETITEMHEIGHT, 0, kRowHeight);
    int tabs[] = {120, 160};
    SendMessageA(list_, LB_SETTABSTOPS, 2, reinterpret_cast<LPARAM>(tabs));
    for (const char* row : kRows) SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
    SendMessageA(list_, LB_SETCURSEL, 0, 0);

    // Thread hooks see every input message this thread takes, also inside the menus' own loops.
    keyboardHook_ = SetWindowsHookExA(WH_KEYBOARD, KeyboardHook, nullptr, GetCurrentThreadId());
    mouseHook_ = SetWindowsHookExA(WH_MOUSE, MouseHook, nullptr, GetCurrentThreadId());
}

void StandInClient::Form_Resize(int width, int height) {
    const int margin = 8;
    int listHeight = height - kInfoHeight - kEventsHeight - 2 * margin;
    if (listHeight < kRowHeight) listHeight = kRowHeight;
    MoveWindow(info_, margin, margin, width - 2 * margin, kInfoHeight - 2 * margin, TRUE);
    MoveWindow(list_, margin, kInfoHeight, width - 2 * margin, listHeight, TRUE);
    MoveWindow(events_, margin, kInfoHeight + listHeight + margin, width - 2 * margin, kEventsHeight, TRUE);
}

void StandInClient::Form_Unload() {
    if (keyboardHook_) UnhookWindowsHookEx(keyboardHook_);
    if (mouseHook_) UnhookWindowsHookEx(mouseHook_);
    keyboardHook_ = mouseHook_ = nullptr;
    PostQuitMessage(0);
}

void StandInClient::Form_ContextMenu(int x, int y) {
    // Wine also sends WM_CONTEXTMENU for the Applications key by itself.
    if (logOnly_) return;
    if (x == -1 && y == -1) {
        // From the keyboard: below the selected row, or at the list's corner.
        RECT item{};
        int row = SelectedRow();
        if (row < 0 || SendMessageA(list_, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item)) == LB_ERR)
            item = RECT{0, 0, 0, 0};
        POINT at{item.left + 24, item.bottom};
        ClientToScreen(list_, &at);
        x = at.x;
        y = at.y;
    } else {
        // A right click picks the row under the pointer first, as file lists do.
        POINT at{x, y};
        ScreenToClient(list_, &at);
        LRESULT hit = SendMessageA(list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(at.x, at.y));
        if (HIWORD(hit) == 0) SendMessageA(list_, LB_SETCURSEL, LOWORD(hit), 0);
    }
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_RESUME, "&Resume");
    AppendMenuA(menu, MF_STRING, IDM_PAUSE, "&Pause");
    AppendMenuA(menu, MF_STRING, IDM_MORE_SOURCES, "S&earch for more sources");
    AppendMenuA(menu, MF_STRING, IDM_CANCEL, "&Cancel download");
    AppendMenuA(menu, MF_STRING, IDM_CLEAR_FINISHED, "C&lear finished and failed");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_DETAILS, "&Details");
    int id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
    DestroyMenu(menu);
    if (id) Menu_Click(id);
}

void StandInClient::Form_Hang(DWORD milliseconds) {
    Record("hang " + std::to_string(milliseconds));
    Sleep(milliseconds);
    Record("hang over");
}

void StandInClient::Menu_Click(int id) {
    switch (id) {
    case IDM_SHOW_TRANSFERS:
        mnuShowTransfers_Click();
        return;
    case IDM_RESUME:
        RowCommand(id, " [resumed]");
        return;
    case IDM_PAUSE:
        RowCommand(id, " [paused]");
        return;
    case IDM_MORE_SOURCES:
        RowCommand(id, " [more sources]");
        return;
    case IDM_CANCEL:
        RowCommand(id, " [cancelled]");
        return;
    case IDM_DETAILS:
        RowCommand(id, "");
        return;
    case IDM_CLEAR_FINISHED:
        ClearFinished();
        return;
    }
    for (const auto& c : kCommandTexts)
        if (c.id == id) Record(std::string("command ") + c.text);
    if (id == IDM_EXIT) DestroyWindow(hwnd_);
}

void StandInClient::mnuShowTransfers_Click() {
    Record("command show transfers");
    if (SelectedRow() < 0) SendMessageA(list_, LB_SETCURSEL, 0, 0);
    SetFocus(list_);
    if (detailsOnce_) {
        detailsOnce_ = false;
        Record("command details window");
        MessageBoxA(hwnd_, "Transfer details of the stand-in client.", "Transfer details", MB_OK);
    }
}

void StandInClient::RowCommand(int id, const char* mark) {
    int row = SelectedRow();
    for (const auto& c : kCommandTexts)
        if (c.id == id) Record(std::string("command ") + c.text + " " + std::to_string(row + 1));
    if (row < 0 || !*mark) return;
    // Replace the row so a person watching sees the command land on it.
    std::string text = RowText(row) + mark;
    SendMessageA(list_, LB_DELETESTRING, row, 0);
    SendMessageA(list_, LB_INSERTSTRING, row, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(list_, LB_SETCURSEL, row, 0);
}

void StandInClient::ClearFinished() {
    int row = SelectedRow();
    Record("command clear finished " + std::to_string(row + 1));
    // Rows that are done or failed go; the selection stays on the same download.
    std::string selected = row >= 0 ? RowText(row) : "";
    for (int i = static_cast<int>(SendMessageA(list_, LB_GETCOUNT, 0, 0)) - 1; i >= 0; --i) {
        std::string text = RowText(i);
        if (text.find("\tfinished") != std::string::npos || text.find("\tfailed") != std::string::npos)
            SendMessageA(list_, LB_DELETESTRING, i, 0);
    }
    LRESULT keep = row >= 0 ? SendMessageA(list_, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                           reinterpret_cast<LPARAM>(selected.c_str()))
                            : 0;
    SendMessageA(list_, LB_SETCURSEL, keep == LB_ERR ? 0 : keep, 0);
}

LRESULT CALLBACK StandInClient::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    // HC_NOREMOVE is a peek that leaves the key queued: it comes again as HC_ACTION.
    if (code == HC_ACTION && instance_) instance_->RecordKey(static_cast<unsigned>(wParam) & 0xFF, lParam & 0x80000000);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void StandInClient::RecordKey(unsigned key, bool up) {
    // Wine 10 now and then hands this thread a key's release a second time while a menu's own loop
    // runs (the menu bar's or a context menu's), with no second release sent: a release of a key that
    // is not down goes to the log apart from the input. On Windows every release is input, as a
    // program that sent one too many would show.
    if (up && !keyDown_[key] && runsUnderWine()) {
        Record("repeated key up " + std::to_string(key));
        return;
    }
    keyDown_[key] = !up;
    RecordInput(std::string(up ? "key up " : "key down ") + std::to_string(key));
}

LRESULT CALLBACK StandInClient::MouseHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && instance_) {
        const char* what = nullptr;
        switch (wParam) {
        // A second press within the double-click time comes as a double click; it is still a press.
        case WM_LBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_NCLBUTTONDBLCLK:
            what = "button down ";
            break;
        case WM_LBUTTONUP:
        case WM_NCLBUTTONUP:
            what = "button up ";
            break;
        case WM_RBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_NCRBUTTONDBLCLK:
            what = "rbutton down ";
            break;
        case WM_RBUTTONUP:
        case WM_NCRBUTTONUP:
            what = "rbutton up ";
            break;
        }
        if (what) {
            const POINT& pt = reinterpret_cast<MOUSEHOOKSTRUCT*>(lParam)->pt;
            instance_->RecordInput(what + std::to_string(pt.x) + " " + std::to_string(pt.y));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void StandInClient::ActivateLayout(const char* klid) {
    HKL had[64];
    const int count = GetKeyboardLayoutList(64, had);
    wchar_t name[KL_NAMELENGTH] = L"";
    MultiByteToWideChar(CP_ACP, 0, klid, -1, name, KL_NAMELENGTH);
    HKL layout = LoadKeyboardLayoutW(name, 0);
    if (!layout) return;
    previousLayout_ = ActivateKeyboardLayout(layout, 0);
    if (!previousLayout_) return;
    if (std::find(had, had + count, layout) == had + count) loadedLayout_ = layout;
    char active[KL_NAMELENGTH] = "";
    GetKeyboardLayoutNameA(active);
    Record(std::string("layout ") + active);
}

void StandInClient::RecordLetters() {
    // What a key types, as TranslateMessage would have it typed into this thread, no other key held.
    HKL layout = GetKeyboardLayout(0);
    BYTE keys[256] = {};
    std::string line = "letters E R type";
    for (UINT key : {'E', 'R'}) {
        wchar_t typed[4] = {};
        const int count = ToUnicodeEx(key, MapVirtualKeyExW(key, MAPVK_VK_TO_VSC, layout), keys, typed, 4, 0, layout);
        char hex[8];
        wsprintfA(hex, " %04x", count == 1 ? typed[0] : 0);
        line += hex;
    }
    Record(line);
}

void StandInClient::Record(const std::string& line) {
    if (log_ != INVALID_HANDLE_VALUE) {
        // One WriteFile per line: the file is in append mode and unbuffered, so a reader sees whole lines.
        std::string text = line + "\n";
        DWORD written = 0;
        WriteFile(log_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    if (!events_) return;
    SendMessageA(events_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    while (SendMessageA(events_, LB_GETCOUNT, 0, 0) > kEventLines) SendMessageA(events_, LB_DELETESTRING, 0, 0);
    SendMessageA(events_, LB_SETTOPINDEX, SendMessageA(events_, LB_GETCOUNT, 0, 0) - 1, 0);
}

void StandInClient::RecordInput(const std::string& line) {
    Record(line);
    // Posted: the hook runs inside whatever the window is doing with the input.
    if (++inputLines_ == closeAfter_) PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

int StandInClient::SelectedRow() const { return static_cast<int>(SendMessageA(list_, LB_GETCURSEL, 0, 0)); }

std::string StandInClient::RowText(int row) const {
    LRESULT length = SendMessageA(list_, LB_GETTEXTLEN, row, 0);
    if (length == LB_ERR) return "";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list_, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    Options options;
    if (__argc > 1) options.logPath = __argv[1];
    for (int i = 2; i < __argc; ++i) {
        const std::string option = __argv[i];
        if (option == "--details-once") options.detailsOnce = true;
        else if (option == "--close-after" && i + 1 < __argc) options.closeAfter = std::atoi(__argv[++i]);
        else if (option == "--title" && i + 1 < __argc) options.title = __argv[++i];
        else if (option == "--log-only") options.logOnly = true;
        else if (option == "--layout" && i + 1 < __argc) options.layout = __argv[++i];
    }
    StandInClient client(options);
    if (!client.Create(instance, show)) return 1;
    if (options.layout) client.ActivateLayout(options.layout);
    client.RecordLetters();
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (client.PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
