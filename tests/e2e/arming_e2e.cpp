// Enable, Disable and the input checks through the user interface, and the cycle they start.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "E2eSupport.h"
#include "shell/ControlIds.h"

namespace ids = trawlix::ids;
using e2e::operator+;
using e2e::taps;

namespace {

void expectMessage(const e2e::App& app, const std::string& text) {
    auto box = e2e::waitForMessageBox(app.processId());
    ASSERT_TRUE(box) << "no message box: " << text;
    EXPECT_EQ(box->caption, "Trawlix 1.10 - By Orvane");
    EXPECT_EQ(box->text, text);
    e2e::dismissMessageBox(box->box);
    EXPECT_TRUE(e2e::waitUntil([&] { return !IsWindow(box->box); }));
}

void enable(const e2e::App& app, const std::string& downloads, const std::string& interval) {
    app.setText(ids::numberdl, downloads);
    app.setText(ids::interval, interval);
    app.click(ids::go);
    ASSERT_TRUE(e2e::waitUntil([&] { return !app.visible(); }));
}

TEST(Arming, EnableGoesToTheNotificationAreaAndTicksDriveTheClient) {
    e2e::StandIn client;
    e2e::App app;
    enable(app, "2", "0");
    EXPECT_TRUE(IsIconic(app.window()));
    EXPECT_TRUE(app.iconPresent());
    EXPECT_FALSE(e2e::trayIconCall(NIM_ADD, app.window()));  // one icon, not two
    EXPECT_EQ(app.text(ids::Label4), "Status: Enabled");
    EXPECT_FALSE(IsWindowEnabled(app.control(ids::go)));
    EXPECT_TRUE(IsWindowEnabled(app.control(ids::stops)));

    app.tick();
    const auto expected = e2e::completedCycle(2);
    e2e::waitUntil([&] { return client.inputLog().size() >= expected.size(); });
    EXPECT_EQ(client.inputLog(), expected);
    EXPECT_TRUE(IsZoomed(client.window()));
    // The client's own menus picked each entry the keys aim at.
    EXPECT_TRUE(e2e::waitUntil([&] { return client.commands() == e2e::completedCycleCommands(2); }, 5000))
        << ::testing::PrintToString(client.commands());
}

TEST(Arming, ClientLosingTheFrontGivesTheCycleUpUntilTheNextTick) {
    // The client opens a window of another title in front of its main window during the pause.
    e2e::StandIn client("--details-once");
    e2e::App app;
    enable(app, "1", "0");
    app.tick();
    const auto givenUp = e2e::menuCommandKeys() + taps(27);
    e2e::waitUntil([&] { return client.inputLog().size() >= givenUp.size(); });
    EXPECT_EQ(client.inputLog(), givenUp);
    EXPECT_TRUE(client.waitForLogLine("command details window"));

    app.tick();
    const auto retried = givenUp + e2e::completedCycle(1);
    e2e::waitUntil([&] { return client.inputLog().size() >= retried.size(); });
    EXPECT_EQ(client.inputLog(), retried);
}

TEST(Arming, OwnMinuteWorksAClientIdleSinceItCameUpAndTheClickLandsWhileThePointerMoves) {
    // As a user runs it: no posted tick, the program's own one-minute timer. The client has sat idle
    // for that minute, and meanwhile the user's mouse keeps moving, the cycle's click included.
    e2e::StandIn client;
    e2e::App app;
    std::atomic<bool> moving{true};
    std::thread mouse([&] {
        // Not before the cycle has begun (the client maximized): a pointer moving over the client
        // would keep it from being idle.
        while (moving && !IsZoomed(client.window())) Sleep(10);
        // A move every millisecond, as a fast mouse reports them, so that the pointer moves between
        // the cycle's steps too. Unpaced, the moves would flood the X server and Wine's event
        // handling with tens of thousands a second, which no user's mouse makes.
        for (int i = 0; moving; ++i) {
            SetCursorPos(i % 2 ? 700 : 300, i % 2 ? 500 : 600);
            Sleep(1);
        }
    });
    enable(app, "2", "0");
    const auto expected = e2e::completedCycle(2);
    e2e::waitUntil([&] { return client.inputLog().size() >= expected.size(); }, 80000);
    moving = false;
    mouse.join();
    EXPECT_EQ(client.inputLog(), expected);
    EXPECT_TRUE(IsZoomed(client.window()));
    EXPECT_TRUE(e2e::waitUntil([&] { return client.commands() == e2e::completedCycleCommands(2); }, 5000))
        << ::testing::PrintToString(client.commands());
}

TEST(Arming, TwoSignInStartsAndAPlainStartLeaveOneCopyThatComesUpAndWorksTheClientOnceAMinute) {
    // Two sign-in entries start Trawlix at once; then the user starts it from the Start menu.
    e2e::storeSetting("ndownloads", "1");
    e2e::storeSetting("interval", "0");
    e2e::storeSetting("timeunit", "Minutes");
    e2e::StandIn client;
    e2e::Process first("Trawlix.exe", "/enable", e2e::programDir());
    e2e::Process second("Trawlix.exe", "/enable", e2e::programDir());
    auto ended = [](const e2e::Process& process) { return process.exitCode() != STILL_ACTIVE; };
    EXPECT_TRUE(e2e::waitUntil([&] { return ended(first) || ended(second); }));
    const e2e::Process& staying = ended(first) ? second : first;
    HWND window = nullptr;
    ASSERT_TRUE(e2e::waitUntil([&] {
        window = e2e::findTopLevelWindow(staying.id(), "Trawlix 1.10");
        return window && e2e::iconPresent(window);
    }));
    EXPECT_FALSE(IsWindowVisible(window));

    e2e::Process plain("Trawlix.exe", "", e2e::programDir());
    EXPECT_TRUE(plain.waitForExit(5000));
    EXPECT_TRUE(e2e::waitUntil([&] { return IsWindowVisible(window) && !e2e::iconPresent(window); }, 5000));
    EXPECT_NE(ended(first), ended(second));
    EXPECT_EQ((ended(first) ? first : second).exitCode(), 0u);

    // At the real minute after arming: one script, and no second one moments later.
    const auto expected = e2e::completedCycle(1);
    ASSERT_TRUE(e2e::waitUntil([&] { return client.inputLog().size() >= expected.size(); }, 80000));
    EXPECT_FALSE(e2e::waitUntil([&] { return client.inputLog().size() > expected.size(); }, 3000));
    EXPECT_EQ(client.inputLog(), expected);
    EXPECT_FALSE(ended(staying));
}

TEST(Arming, ClientTypingInARussianOrAGreekLayoutHasItsMenuEntriesPicked) {
    for (const char* layout : {"00000419", "00000408"}) {
        SCOPED_TRACE(layout);
        // On Windows the client's thread activates the layout; under Wine the X server's keymap
        // decides what every program's keys type, whatever layout a thread activates.
        e2e::StandIn client(std::string("--layout ") + layout);
        std::string letters;
        ASSERT_TRUE(e2e::waitUntil([&] {
            for (const auto& line : client.log())
                if (line.rfind("letters E R type ", 0) == 0) letters = line;
            return !letters.empty();
        }));
        if (letters == "letters E R type 0065 0072")
            GTEST_SKIP() << "the client's E and R keys type e and r on this desktop (under Wine the X server's "
                            "keymap decides: the e2e.keymap tests run this with a Russian and a Greek one)";
        e2e::App app;
        enable(app, "2", "0");
        app.tick();
        EXPECT_TRUE(e2e::waitUntil([&] { return client.commands() == e2e::completedCycleCommands(2); }))
            << letters << "\n"
            << ::testing::PrintToString(client.commands());
    }
}

TEST(Arming, ClientFrozenInFrontGetsNothingTheProgramKeepsAnsweringAndTheNextTickWorksIt) {
    // The client, in front and maximized, stops answering for 3 s, well within the 5 s after which
    // Windows would call it hung, and the tick comes a second into that. Its title still reads.
    e2e::StandIn client;
    e2e::App app;
    app.setText(ids::timeunits, "Hours");
    enable(app, "2", "0");
    SetForegroundWindow(client.window());
    ShowWindow(client.window(), SW_MAXIMIZE);
    ASSERT_TRUE(client.hang(3000));
    Sleep(1000);
    app.tick();
    // Posted only: a thread blocked in a call to the client would still answer a sent message.
    app.trayCallback(515);
    EXPECT_TRUE(e2e::waitUntil([&] { return app.visible(); }, 2000));
    ASSERT_TRUE(client.waitForLogLine("hang over"));
    // Keys sent to it meanwhile would have waited in its queue and come now, back to back.
    EXPECT_FALSE(e2e::waitUntil([&] { return !client.inputLog().empty(); }, 1500));

    app.tick();
    const auto expected = e2e::completedCycle(2);
    e2e::waitUntil([&] { return client.inputLog().size() >= expected.size(); });
    EXPECT_EQ(client.inputLog(), expected);
    PostMessageA(app.window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.waitForExit());
    EXPECT_EQ(e2e::storedSettings(), (std::vector<std::string>{"2", "0", "Hours"}));
}

TEST(Arming, ClientFrozenBehindTheUsersWindowStaysThereAndNothingIsClicked) {
    // The user works in another program's window, which lies under the click point; the client,
    // behind it and not maximized, stops answering for 3 s, and the tick comes a second into that.
    e2e::StandIn users("--title Notes");
    e2e::StandIn client;
    e2e::App app;
    enable(app, "1", "0");
    SetWindowPos(users.window(), HWND_TOP, 0, 0, 640, 420, 0);
    SetForegroundWindow(users.window());
    ASSERT_TRUE(e2e::waitUntil([&] { return GetForegroundWindow() == users.window(); }));
    ASSERT_TRUE(client.hang(3000));
    Sleep(1000);
    app.tick();
    ASSERT_TRUE(client.waitForLogLine("hang over"));
    Sleep(1500);
    EXPECT_EQ(GetForegroundWindow(), users.window());
    EXPECT_EQ(users.inputLog(), std::vector<std::string>{});
    EXPECT_EQ(client.inputLog(), std::vector<std::string>{});
    EXPECT_FALSE(IsZoomed(client.window()));
}

TEST(Arming, WithoutTheClientTheProgramSaysSoAndEndsWithItsSettingsSaved) {
    e2e::App app;
    app.setText(ids::timeunits, "minutes");
    enable(app, "4", "0");
    HWND window = app.window();
    app.tick();
    expectMessage(app, "KaZaA Media Desktop is not running, please start KaZaA first and try again.");
    EXPECT_TRUE(app.waitForExit());
    EXPECT_EQ(e2e::storedSettings(), (std::vector<std::string>{"4", "0", "minutes"}));
    EXPECT_FALSE(e2e::iconPresent(window));
}

TEST(Arming, ClientClosingMidCycleIsGivenUpAndTheNextTickSaysItIsGone) {
    // The client closes once it has taken the menu command, that is during the pause, or early in
    // the per-download loop of a long cycle. The window behind it comes to the front and gets at
    // most the keys up to the next check, then Escape. In the loop that check may come before the
    // window behind is in front, and the Escape goes to no window.
    const std::size_t menuCommand = e2e::menuCommandKeys().size();
    for (const std::size_t closeAfter : {menuCommand, menuCommand + 6}) {
        const bool duringPause = closeAfter == menuCommand;
        const std::string downloads = duringPause ? "3" : "1000";
        e2e::StandIn behind("--title Behind");
        e2e::StandIn client("--close-after " + std::to_string(closeAfter));
        e2e::App app;
        app.setText(ids::numberdl, downloads);
        app.setText(ids::interval, "0");
        app.command(ids::mnuEnable);  // no minimizing: the taskbar would come to the front meanwhile
        ASSERT_TRUE(e2e::waitUntil([&] { return app.text(ids::Label4) == "Status: Enabled"; }));
        // On top (returning once done), so that the finder stacks the client right above it.
        SetForegroundWindow(behind.window());
        SetWindowPos(behind.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        app.tick();
        ASSERT_TRUE(client.waitForExit());
        auto escaped = [&] {
            const auto seen = behind.inputLog();
            return seen.size() >= 2 && std::vector<std::string>(seen.end() - 2, seen.end()) == taps(27);
        };
        EXPECT_TRUE(e2e::waitUntil(escaped, duringPause ? 20000 : 5000) || (!duringPause && behind.inputLog().empty()));
        EXPECT_LE(behind.inputLog().size(), duringPause ? 2u : 16u) << downloads;
        EXPECT_FALSE(app.waitForExit(300));

        app.tick();
        expectMessage(app, "KaZaA Media Desktop is not running, please start KaZaA first and try again.");
        EXPECT_TRUE(app.waitForExit());
        EXPECT_EQ(app.exitCode(), 0u);
        EXPECT_EQ(e2e::storedSettings(), (std::vector<std::string>{downloads, "0", "Minutes"}));
    }
}

TEST(Arming, NumberBoxesTakeDigitsOnly) {
    e2e::App app;
    app.typeChar(ids::numberdl, '7');
    EXPECT_TRUE(e2e::waitUntil([&] { return app.text(ids::numberdl).find('7') != std::string::npos; }));
    app.typeChar(ids::numberdl, '\b');
    EXPECT_FALSE(e2e::waitForMessageBox(app.processId(), 500));
    for (char typed : {'a', '-', '.', '\r'}) {
        app.typeChar(ids::interval, typed);
        expectMessage(app, "Only enter numbers, please");
        EXPECT_EQ(app.text(ids::interval), "10") << int(typed);
    }
}

TEST(Arming, AfterTheMessageTheUserTypesOnInTheSameBox) {
    // Real keys, as a user types: a letter in the downloads box brings the message, Enter closes it,
    // and the next digit goes into the same box.
    e2e::App app;
    SetForegroundWindow(app.window());
    ASSERT_TRUE(e2e::waitUntil([&] { return GetForegroundWindow() == app.window(); }));
    for (int i = 0; i < 10 && app.focus() != app.control(ids::numberdl); ++i) {
        e2e::pressKeys({VK_TAB});
        Sleep(100);
    }
    ASSERT_EQ(app.focus(), app.control(ids::numberdl));
    e2e::pressKeys({'A'});
    auto box = e2e::waitForMessageBox(app.processId());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "Only enter numbers, please");
    e2e::pressKeys({VK_RETURN});
    ASSERT_TRUE(e2e::waitUntil([&] { return !IsWindow(box->box); }));
    EXPECT_TRUE(e2e::waitUntil([&] { return GetForegroundWindow() == app.window(); }, 5000));
    EXPECT_EQ(app.focus(), app.control(ids::numberdl));
    e2e::pressKeys({'7'});
    EXPECT_TRUE(e2e::waitUntil([&] { return app.text(ids::numberdl).find('7') != std::string::npos; }, 5000));
}

TEST(Arming, UnitOutsideTheListIsRefusedAndTheBoxReset) {
    e2e::App app;
    app.setText(ids::timeunits, "Seconds");
    app.postClick(ids::go);
    expectMessage(app, "Use the drop down list to select only hours, minutes, or seconds please.");
    EXPECT_TRUE(e2e::waitUntil([&] { return app.text(ids::timeunits) == "Minutes"; }));
    EXPECT_EQ(app.text(ids::Label4), "Status: Disabled");
    EXPECT_TRUE(app.visible());
    EXPECT_TRUE(e2e::waitUntil([&] { return GetForegroundWindow() == app.window(); }, 5000));
    EXPECT_TRUE(IsWindowEnabled(app.control(ids::go)));
}

TEST(Arming, PeriodThatIsNotANumberOrTooLongIsRefused) {
    e2e::App app;
    for (const char* interval : {"", "32768"}) {
        app.setText(ids::interval, interval);
        app.postClick(ids::go);
        expectMessage(app, "Enter the period in digits, up to 32767 minutes or 546 hours, please.");
        EXPECT_EQ(app.text(ids::Label4), "Status: Disabled");
        EXPECT_TRUE(app.visible());
    }
}

TEST(Arming, EveryMessageIsDrawnOnTheXScreenOverTheWindow) {
    // What the X server shows where the box stands: a box left unpainted there reads as one colour.
    // The main window's rectangle, read the same way, shows that the reading sees a drawn window.
    if (!e2e::underWine()) GTEST_SKIP() << "reads the X screen, which only Wine has; Windows draws the box itself";
    e2e::App app;
    app.setText(ids::interval, "0");
    auto expectDrawn = [&](const std::function<void()>& bringMessage, const std::string& text) {
        bringMessage();
        auto box = e2e::waitForMessageBox(app.processId());
        ASSERT_TRUE(box) << "no message box: " << text;
        EXPECT_EQ(box->text, text);
        RECT boxRect, windowRect;
        GetWindowRect(box->box, &boxRect);
        GetWindowRect(app.window(), &windowRect);
        RECT overlap;
        EXPECT_TRUE(IntersectRect(&overlap, &boxRect, &windowRect)) << "not over the window: " << text;
        EXPECT_GT(e2e::xScreenColours(windowRect), 1) << "the reading does not work: " << text;
        int colours = 0;
        // Given the time a user would wait for it to paint.
        e2e::waitUntil([&] { return (colours = e2e::xScreenColours(boxRect)) > 1; }, 5000);
        EXPECT_GT(colours, 1) << "the box is one colour on the screen: " << text;
        e2e::dismissMessageBox(box->box);
        EXPECT_TRUE(e2e::waitUntil([&] { return !IsWindow(box->box); }));
    };
    expectDrawn([&] { app.typeChar(ids::numberdl, 'a'); }, "Only enter numbers, please");
    expectDrawn(
        [&] {
            app.setText(ids::interval, "");
            app.postClick(ids::go);
        },
        "Enter the period in digits, up to 32767 minutes or 546 hours, please.");
    expectDrawn(
        [&] {
            app.setText(ids::interval, "0");
            app.setText(ids::timeunits, "Seconds");
            app.postClick(ids::go);
        },
        "Use the drop down list to select only hours, minutes, or seconds please.");
    // Armed from the popup menu the window stays up, and the box comes over it.
    expectDrawn(
        [&] {
            app.command(ids::mnuEnable);
            ASSERT_TRUE(e2e::waitUntil([&] { return app.text(ids::Label4) == "Status: Enabled"; }));
            app.tick();
        },
        "KaZaA Media Desktop is not running, please start KaZaA first and try again.");
    EXPECT_TRUE(app.waitForExit());
}

TEST(Arming, EnableSwitchArmsWithTheStoredSettingsOrSaysWhyNot) {
    e2e::storeSetting("ndownloads", "4");
    e2e::storeSetting("interval", "2");
    e2e::storeSetting("timeunit", "hours");
    {
        // Set on every program of the desktop, the hook signals each show of Trawlix's main window.
        HANDLE shown = CreateEventA(nullptr, TRUE, FALSE, "TrawlixMainWindowShown");
        HMODULE hookLibrary = LoadLibraryA((e2e::binDir() + "\\MainWindowShowHook.dll").c_str());
        auto watch = reinterpret_cast<HOOKPROC>(
            reinterpret_cast<void (*)()>(GetProcAddress(hookLibrary, "watchMainWindowShows")));
        HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, watch, hookLibrary, 0);
        ASSERT_TRUE(hook);
        auto everShown = [&] { return WaitForSingleObject(shown, 0) == WAIT_OBJECT_0; };

        e2e::App app(true, e2e::programDir(), "/enable");
        ASSERT_TRUE(e2e::waitUntil([&] { return app.iconPresent(); }));
        EXPECT_FALSE(e2e::trayIconCall(NIM_ADD, app.window()));  // one icon, not two
        EXPECT_EQ(app.text(ids::Label4), "Status: Enabled");
        EXPECT_EQ(app.text(ids::interval), "2");
        EXPECT_FALSE(everShown()) << "the window was shown at the start";

        // Shown at last by the icon's double-click (which also proves the hook sees a show), as
        // after arming from the window, with the focus on Disable.
        app.trayCallback(515);
        EXPECT_TRUE(e2e::waitUntil([&] { return everShown() && app.visible() && !app.iconPresent(); }));
        EXPECT_FALSE(IsIconic(app.window()));
        EXPECT_TRUE(e2e::waitUntil([&] { return app.focus() == app.control(ids::stops); }, 5000));
        UnhookWindowsHookEx(hook);
        CloseHandle(shown);
    }
    e2e::storeSetting("timeunit", "Seconds");
    e2e::App app(true, e2e::programDir(), "/enable");
    expectMessage(app, "Use the drop down list to select only hours, minutes, or seconds please.");
    EXPECT_TRUE(e2e::waitUntil([&] { return app.text(ids::timeunits) == "Minutes"; }));
    EXPECT_TRUE(app.visible());
    EXPECT_FALSE(app.iconPresent());
    EXPECT_EQ(app.text(ids::Label4), "Status: Disabled");
}

TEST(Arming, OtherArgumentsAreIgnored) {
    e2e::App app(false, e2e::programDir(), "/enabled enable /disable -enable");
    EXPECT_EQ(app.text(ids::Label4), "Status: Disabled");
    EXPECT_TRUE(app.visible());
    EXPECT_FALSE(app.iconPresent());
    EXPECT_TRUE(IsWindowEnabled(app.control(ids::go)));
}

TEST(Arming, PopupEnableKeepsTheWindowAndDisableDisarms) {
    e2e::App app;
    app.command(ids::mnuEnable);
    EXPECT_TRUE(e2e::waitUntil([&] { return app.text(ids::Label4) == "Status: Enabled"; }));
    EXPECT_TRUE(app.visible());
    EXPECT_FALSE(app.iconPresent());
    EXPECT_FALSE(IsWindowEnabled(app.control(ids::go)));

    app.click(ids::stops);
    EXPECT_EQ(app.text(ids::Label4), "Status: Disabled");
    EXPECT_TRUE(IsWindowEnabled(app.control(ids::go)));
    EXPECT_FALSE(IsWindowEnabled(app.control(ids::stops)));
    app.command(ids::mnuDisable);
    EXPECT_FALSE(e2e::waitForMessageBox(app.processId(), 300));
    EXPECT_EQ(app.text(ids::Label4), "Status: Disabled");
}

}  // namespace
