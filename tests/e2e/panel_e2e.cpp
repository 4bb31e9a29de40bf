// The main window as a user meets it: first start, settings kept across runs, defaults restored,
// what a screen reader reads and where Tab goes.
#include <gtest/gtest.h>

#include "E2eSupport.h"
#include "shell/ControlIds.h"
#include "shell/TrawlixWindow.h"
#include "shell/Win32APIcalls.h"

namespace ids = trawlix::ids;

namespace {

RECT clientRectOf(HWND control, HWND parent) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(MainWindow, FirstStartShowsDefaultsDisarmedAndCentred) {
    e2e::App app;
    ASSERT_TRUE(app.window());
    char title[64] = "";
    GetWindowTextA(app.window(), title, sizeof title);
    EXPECT_STREQ(title, "Trawlix 1.10");
    EXPECT_EQ(app.text(ids::numberdl), "3");
    EXPECT_EQ(app.text(ids::interval), "10");
    EXPECT_EQ(app.text(ids::timeunits), "Minutes");
    EXPECT_EQ(app.text(ids::Label4), "Status: Disabled");
    EXPECT_EQ(app.text(ids::Label1), "Number of simulatneous downloads you want in KaZaA");
    EXPECT_TRUE(IsWindowEnabled(app.control(ids::go)));
    EXPECT_FALSE(IsWindowEnabled(app.control(ids::stops)));
    EXPECT_TRUE(e2e::waitUntil([&] { return app.focus() == app.control(ids::go); }, 5000));
    // Nothing is stored until the window unloads.
    EXPECT_EQ(e2e::storedSetting("ndownloads"), std::nullopt);

    RECT client;
    GetClientRect(app.window(), &client);
    EXPECT_EQ(client.right, 455);
    EXPECT_EQ(client.bottom, 181);
    RECT go = clientRectOf(app.control(ids::go), app.window());
    EXPECT_EQ(go.left, 80);
    EXPECT_EQ(go.top, 120);
    EXPECT_EQ(go.right - go.left, 81);
    EXPECT_EQ(go.bottom - go.top, 25);

    RECT outer;
    GetWindowRect(app.window(), &outer);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(outer.left, (screenWidth - (outer.right - outer.left)) / 2, 1);
    EXPECT_NEAR(outer.top, (screenHeight - (outer.bottom - outer.top)) / 2, 1);
    LONG style = GetWindowLongA(app.window(), GWL_STYLE);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
}

TEST(MainWindow, TextsSurviveCloseFromTitleBarAndRestart) {
    {
        e2e::App app;
        app.setText(ids::numberdl, "");
        app.setText(ids::interval, "2");
        app.setText(ids::timeunits, "hours");
        PostMessageA(app.window(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(app.waitForExit());
    }
    EXPECT_EQ(e2e::storedSettings(), (std::vector<std::string>{"", "2", "hours"}));

    e2e::App again(true);
    EXPECT_EQ(again.text(ids::numberdl), "");
    EXPECT_EQ(again.text(ids::interval), "2");
    EXPECT_EQ(again.text(ids::timeunits), "hours");
}

TEST(MainWindow, StoredTextsAreShownAsStoredAndDamagedOnesAsDefaults) {
    e2e::clearSettings();
    e2e::storeSetting("interval", "12a");
    DWORD number = 5;
    e2e::storeRawSetting("ndownloads", REG_DWORD, &number, sizeof number);
    const unsigned char bytes[] = {1, 2, 3};
    e2e::storeRawSetting("timeunit", REG_BINARY, bytes, sizeof bytes);
    e2e::App app(true);
    EXPECT_EQ(app.text(ids::numberdl), "5");
    EXPECT_EQ(app.text(ids::interval), "12a");
    EXPECT_EQ(app.text(ids::timeunits), "Minutes");
}

// Windows names an edit or combo box after the first static control found walking back through
// the child order, stopping at a control that is both a group start and a tab stop. Wine follows
// this for edit boxes only (without the stop) and reads a combo box's own text instead, so the
// combo box is checked against the rule itself.
std::string nameByWindowsRule(HWND box) {
    for (HWND before = GetWindow(box, GW_HWNDPREV); before; before = GetWindow(before, GW_HWNDPREV)) {
        char className[16] = "";
        GetClassNameA(before, className, sizeof className);
        if (lstrcmpiA(className, "Static") == 0) return e2e::windowText(before);
        if ((GetWindowLongA(before, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) break;
    }
    return "(no name)";
}

TEST(MainWindow, ScreenReaderNamesEachFieldByItsLabelAndTabKeepsItsOrder) {
    // Opened in this process: under Wine, accessibility objects are served in the window's own
    // process only.
    CoInitialize(nullptr);
    trawlix::Win32APIcalls api;
    trawlix::Trawlix panel(GetModuleHandleA(nullptr), api);
    ASSERT_TRUE(panel.Create());
    panel.Show();
    HWND window = e2e::findTopLevelWindow(GetCurrentProcessId(), "Trawlix 1.10");
    ASSERT_TRUE(window);
    auto control = [&](int id) { return GetDlgItem(window, id); };
    const std::pair<int, const char*> names[] = {{ids::numberdl, "Number of simulatneous downloads you want in KaZaA"},
                                                 {ids::interval, "Every"},
                                                 {ids::go, "Enable"},
                                                 {ids::stops, "Disable"},
                                                 {ids::Command1, "Exit"}};
    for (const auto& [id, name] : names) EXPECT_EQ(e2e::accessibleName(control(id)), name) << id;
    EXPECT_EQ(nameByWindowsRule(control(ids::timeunits)), "Every");

    // Tab through the program's own dialog-key handling, with Disable enabled as when armed.
    EnableWindow(control(ids::stops), TRUE);
    SetFocus(control(ids::go));
    for (int next : {ids::stops, ids::numberdl, ids::interval, ids::timeunits, ids::Command1, ids::go}) {
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(panel.TranslateDialogMessage(&tab));
        HWND focus = GetFocus();
        EXPECT_TRUE(focus == control(next) || IsChild(control(next), focus)) << "Tab did not reach control " << next;
    }
    DestroyWindow(window);
    CoUninitialize();
}

TEST(MainWindow, LoadDefaultSettingsResetsControlsAndStore) {
    e2e::App app;
    app.setText(ids::numberdl, "8");
    app.setText(ids::interval, "45");
    app.setText(ids::timeunits, "Seconds");
    app.command(ids::mnusave);
    EXPECT_TRUE(e2e::waitUntil([&] { return app.text(ids::timeunits) == "Minutes"; }));
    EXPECT_EQ(app.text(ids::numberdl), "3");
    EXPECT_EQ(app.text(ids::interval), "10");
    EXPECT_EQ(e2e::storedSettings(), (std::vector<std::string>{"3", "10", "Minutes"}));
}

}  // namespace
