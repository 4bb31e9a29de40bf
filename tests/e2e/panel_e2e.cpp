// The main window as a user meets it: first start, settings kept across runs, defaults restored.
#include <gtest/gtest.h>

#include "E2eSupport.h"
#include "shell/ControlIds.h"

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
