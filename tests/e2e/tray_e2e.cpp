// The main window and its notification-area icon: minimizing, the icon's mouse codes, the popup
// menu, the ways out, and a restarted shell.
#include <gtest/gtest.h>

#include "E2eSupport.h"
#include "shell/ControlIds.h"

namespace ids = trawlix::ids;

namespace {

void minimize(const e2e::App& app) {
    SendMessageA(app.window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(e2e::waitUntil([&] { return !app.visible() && app.iconPresent(); }));
}

TEST(TrayIcon, MinimizeHidesBehindOneIconAndDoubleClickRestores) {
    e2e::App app;
    for (int round = 0; round < 2; ++round) {
        minimize(app);
        EXPECT_FALSE(e2e::trayIconCall(NIM_ADD, app.window()));  // the shell refuses a second one
        app.trayCallback(515);
        // Restoring already makes the window visible, a moment before the icon goes: both awaited.
        EXPECT_TRUE(e2e::waitUntil([&] { return app.visible() && !IsIconic(app.window()) && !app.iconPresent(); }));
    }
}

TEST(TrayIcon, TwoCopiesKeepTheirOwnIconsAndTheLastToExitIsStored) {
    for (bool firstExitsFirst : {true, false}) {
        e2e::App first;
        e2e::App second(true);
        first.setText(ids::numberdl, "5");
        second.setText(ids::numberdl, "7");
        minimize(first);
        minimize(second);
        e2e::App& early = firstExitsFirst ? first : second;
        e2e::App& late = firstExitsFirst ? second : first;
        const std::string lateDownloads = late.text(ids::numberdl);

        early.command(ids::mnuExit);
        ASSERT_TRUE(early.waitForExit());
        EXPECT_EQ(early.exitCode(), 0u);
        EXPECT_FALSE(early.iconPresent());
        EXPECT_TRUE(late.iconPresent());
        late.command(ids::mnuExit);
        ASSERT_TRUE(late.waitForExit());
        EXPECT_EQ(late.exitCode(), 0u);
        EXPECT_FALSE(late.iconPresent());
        EXPECT_EQ(e2e::storedSetting("ndownloads"), lateDownloads);
    }
}

TEST(TrayIcon, OtherMouseCodesDoNothing) {
    e2e::App app;
    minimize(app);
    for (int code : {512, 513, 514, 517, 518, 200}) app.trayCallback(code);
    Sleep(300);
    EXPECT_FALSE(app.visible());
    EXPECT_TRUE(app.iconPresent());
    EXPECT_FALSE(e2e::visiblePopupMenu());
}

TEST(TrayIcon, RightButtonOpensThePopupAndExitSavesAndRemovesTheIcon) {
    e2e::App app;
    app.setText(ids::numberdl, "5");
    app.setText(ids::interval, "2");
    app.setText(ids::timeunits, "Hours");
    minimize(app);
    HWND window = app.window();
    app.trayCallback(516);
    ASSERT_TRUE(e2e::waitUntil([] { return e2e::visiblePopupMenu() != nullptr; }));
    e2e::pressKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});  // &Show &Enable &Disable &Exit
    ASSERT_TRUE(app.waitForExit());
    EXPECT_EQ(e2e::storedSettings(), (std::vector<std::string>{"5", "2", "Hours"}));
    EXPECT_FALSE(e2e::iconPresent(window));
}

TEST(TrayIcon, PopupShowRestoresTheWindow) {
    e2e::App app;
    minimize(app);
    app.trayCallback(516);
    ASSERT_TRUE(e2e::waitUntil([] { return e2e::visiblePopupMenu() != nullptr; }));
    e2e::pressKeys({VK_DOWN, VK_RETURN});
    EXPECT_TRUE(e2e::waitUntil([&] { return app.visible() && !app.iconPresent(); }));
}

TEST(TrayIcon, RestartedShellGetsTheIconBackOnlyWhileHidden) {
    e2e::App app;
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    auto shellRestarts = [&] {
        e2e::trayIconCall(NIM_DELETE, app.window());
        DWORD_PTR result;
        SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
    };
    minimize(app);
    shellRestarts();
    EXPECT_TRUE(e2e::waitUntil([&] { return app.iconPresent(); }, 5000));

    app.command(ids::mnuShow);
    ASSERT_TRUE(e2e::waitUntil([&] { return app.visible(); }));
    shellRestarts();
    Sleep(300);
    EXPECT_FALSE(app.iconPresent());
}

TEST(TrayIcon, IconAppearsOnceTheNotificationAreaDoes) {
    e2e::App app;
    {
        e2e::MissingNotificationArea signingIn;
        SendMessageA(app.window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ASSERT_FALSE(app.visible());
        Sleep(1500);  // the first retry is refused too
    }
    EXPECT_TRUE(e2e::waitUntil([&] { return app.iconPresent(); }, 5000));
    EXPECT_FALSE(e2e::trayIconCall(NIM_ADD, app.window()));  // one icon
}

TEST(TrayIcon, ExitButtonAndLogOffSaveTheSettings) {
    {
        e2e::App app;
        app.setText(ids::numberdl, "6");
        SendMessageA(app.window(), WM_QUERYENDSESSION, 0, 0);
        SendMessageA(app.window(), WM_ENDSESSION, TRUE, 0);
        EXPECT_EQ(e2e::storedSetting("ndownloads"), "6");
    }
    e2e::App app;
    app.setText(ids::numberdl, "12");
    app.click(ids::Command1);
    EXPECT_TRUE(app.waitForExit());
    EXPECT_EQ(e2e::storedSetting("ndownloads"), "12");
}

}  // namespace
