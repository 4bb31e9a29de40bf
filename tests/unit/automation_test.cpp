#include <gtest/gtest.h>

#include <algorithm>

#include "FakeDesktop.h"
#include "automation/AutomationCycle.h"
#include "automation/ClientFinder.h"
#include "automation/KeyInput.h"
#include "panel/Arming.h"

namespace trawlix {
namespace {

using Events = std::vector<std::string>;

Events taps(int key, int times = 1) {
    Events out;
    for (int i = 0; i < times; ++i) {
        out.push_back("down " + std::to_string(key));
        out.push_back("up " + std::to_string(key));
    }
    return out;
}

Events operator+(Events a, const Events& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Events kMenuCommand = taps(18) + taps(39) + taps(40, 5) + taps(13);
const Events kClick = {"cursor 119 150", "leftclick 119 150"};

struct CycleTest : ::testing::Test {
    test::FakeDesktop desktop;
    PanelState state;
    AutomationCycle cycle{state, desktop};
    WindowHandle client = 0;

    void SetUp() override {
        desktop.addWindow("Trawlix 1.10");
        client = desktop.addWindow("KaZaA - 3 downloads");
        clientWindow = 0;
    }
    void armWith(std::int16_t period, const std::string& downloads) {
        state.periodMinutes = period;
        state.downloadCount = downloads;
        state.tickCount = 1;
    }
    // The client is asked whether it answers before it is brought forward, once it is in front, and at
    // each check.
    Events ping() const { return {"ping " + std::to_string(client)}; }
    // The search: the client answers and is asked to the front, maximized.
    Events searched() const {
        return ping() + Events{"front " + std::to_string(client), "showasync " + std::to_string(client) + " 3"};
    }
    // ... and it is in front, answering.
    Events found() const { return searched() + ping(); }
    Events menuAndClick() const { return kMenuCommand + Events{"sleep 500"} + ping() + kClick; }
    // The access letters E and R go as their keys, or as the characters themselves.
    Events oneDownload(const Events& e = taps(69), const Events& r = taps(82)) const {
        return taps(93) + e + ping() + taps(13) + taps(93) + r + ping() + taps(13) + taps(93) + taps(40, 5) + ping() +
               taps(13) + taps(40);
    }
    static Events typed(char letter) {
        const std::string c = std::to_string(static_cast<int>(letter));
        return {"char down " + c, "char up " + c};
    }
    // Changes the desktop when the event with this index (counted from 0) happens.
    void changeAt(std::size_t index, std::function<void()> change) {
        desktop.onEvent = [this, index, change](const std::string&) {
            if (desktop.events.size() == index + 1) change();
        };
    }
    test::FakeWindow& clientsWindow() {
        return *std::find_if(desktop.windows.begin(), desktop.windows.end(),
                             [&](auto& w) { return w.handle == client; });
    }
    // Puts that window (0: none) in front whenever the desktop records this event.
    void frontGoesToOn(const std::string& event, WindowHandle window) {
        desktop.onEvent = [this, event, window](const std::string& e) {
            if (e == event) desktop.foreground = window;
        };
    }
};

TEST_F(CycleTest, TwoDownloadsRunTheWholeScript) {
    armWith(0, "2");
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::Completed);
    EXPECT_EQ(desktop.events, found() + menuAndClick() + oneDownload() + oneDownload() + taps(38, 2));
    EXPECT_EQ(clientWindow, client);
    EXPECT_EQ(state.tickCount, 1);
    EXPECT_EQ(state.titleText, "KaZaA - 3 downloads");
}

TEST_F(CycleTest, NoDownloadsStillSendsTheMenuCommandAndTheClick) {
    for (const char* downloads : {"0", "", "abc", "-3"}) {
        desktop.events.clear();
        armWith(0, downloads);
        EXPECT_EQ(cycle.Timer_Timer(), TickResult::Completed) << downloads;
        EXPECT_EQ(desktop.events, found() + menuAndClick()) << downloads;
        EXPECT_EQ(state.tickCount, 1);
    }
}

TEST_F(CycleTest, FractionalDownloadCountRunsWhileTheCounterIsWithinIt) {
    armWith(0, "1.5");
    cycle.Timer_Timer();
    EXPECT_EQ(desktop.events, found() + menuAndClick() + oneDownload() + taps(38));
}

TEST_F(CycleTest, CyclesComePeriodPlusOneMinutesApart) {
    armWith(10, "1");
    std::vector<int> cycleTicks;
    for (int tick = 1; tick <= 33; ++tick)
        if (cycle.Timer_Timer() == TickResult::Completed) cycleTicks.push_back(tick);
    EXPECT_EQ(cycleTicks, (std::vector<int>{11, 22, 33}));
    EXPECT_EQ(state.tickCount, 1);
    EXPECT_EQ(state.periodMinutes, 10);
}

TEST_F(CycleTest, PeriodZeroOrBelowCyclesOnEveryTick) {
    for (std::int16_t period : {0, -4}) {
        armWith(period, "0");
        for (int tick = 1; tick <= 3; ++tick) EXPECT_EQ(cycle.Timer_Timer(), TickResult::Completed);
    }
}

TEST_F(CycleTest, GiveUpsRetryEveryTickAndShortenThePeriod) {
    armWith(10, "1");
    for (int tick = 1; tick <= 10; ++tick) ASSERT_EQ(cycle.Timer_Timer(), TickResult::Counted);
    // On ticks 11 to 13 another window takes the front from the client as the menu command starts.
    frontGoesToOn("down 18", desktop.addWindow("Notepad"));
    for (int tick = 11; tick <= 13; ++tick) {
        EXPECT_EQ(cycle.Timer_Timer(), TickResult::GaveUp);
        EXPECT_EQ(state.tickCount, 11);
    }
    EXPECT_EQ(state.periodMinutes, 7);
    desktop.onEvent = nullptr;
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::Completed);  // tick 14
    int next = 14;
    while (cycle.Timer_Timer() != TickResult::Completed) ++next;
    EXPECT_EQ(next + 1, 22);
}

TEST_F(CycleTest, EachCheckGivesUpWithEscape) {
    // Indexes of the last event before each check, where the client is asked whether it answers: C1
    // after the pause, C2 after E, C3 after R, C4 after the fifth Down of the context menu.
    const Events whole = found() + menuAndClick() + oneDownload();
    std::vector<std::size_t> beforeChecks;
    for (std::size_t i = found().size(); i < whole.size(); ++i)
        if (whole[i] == ping().front()) beforeChecks.push_back(i - 1);
    ASSERT_EQ(beforeChecks.size(), 4u);
    EXPECT_EQ(whole[beforeChecks[0]], "sleep 500");
    EXPECT_EQ(whole[beforeChecks[1]], "up 69");
    EXPECT_EQ(whole[beforeChecks[2]], "up 82");
    const WindowHandle notepad = desktop.addWindow("Notepad");
    // Either another window takes the front, or the client stays in front but stops responding.
    for (const bool clientHangs : {false, true}) {
        for (std::size_t index : beforeChecks) {
            desktop.events.clear();
            desktop.foreground = 0;
            clientsWindow().hung = false;
            armWith(5, "2");
            state.tickCount = 6;
            changeAt(index, [&] {
                if (clientHangs) clientsWindow().hung = true;
                else desktop.foreground = notepad;
            });
            EXPECT_EQ(cycle.Timer_Timer(), TickResult::GaveUp) << index;
            Events expected(desktop.events.begin(), desktop.events.begin() + static_cast<long>(index) + 1);
            // A frozen client is found out by the question; another window in front by its title.
            EXPECT_EQ(desktop.events, expected + (clientHangs ? ping() : Events{}) + taps(27)) << index;
            EXPECT_EQ(state.periodMinutes, 4);
            EXPECT_EQ(state.tickCount, 6);
            EXPECT_EQ(state.titleText, clientHangs ? "KaZaA - 3 downloads" : "Notepad");
            desktop.onEvent = nullptr;
        }
    }
}

TEST_F(CycleTest, NoWindowInFrontGivesUp) {
    armWith(0, "1");
    frontGoesToOn("sleep 500", 0);
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::GaveUp);
    EXPECT_EQ(state.titleText, "");
}

TEST_F(CycleTest, PeriodNeverDropsBelowItsSmallestValue) {
    armWith(-32767, "1");
    frontGoesToOn("sleep 500", 0);
    cycle.Timer_Timer();
    cycle.Timer_Timer();
    EXPECT_EQ(state.periodMinutes, -32768);
}

TEST_F(CycleTest, ClientKeptBehindPutsTheCycleOffWithoutSendingAnything) {
    // The system refuses the client the front while the user works in another program.
    armWith(3, "1");
    state.tickCount = 4;
    desktop.foregroundFollowsRequests = false;
    desktop.foreground = desktop.addWindow("Untitled - Notepad");
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::PutOff);
    const Events lookAgain(kFrontWaitMs / kFrontPollMs, "sleep " + std::to_string(kFrontPollMs));
    EXPECT_EQ(desktop.events, searched() + lookAgain);  // no key, no Escape, no click
    EXPECT_EQ(state.periodMinutes, 3);
    EXPECT_EQ(state.tickCount, 4);

    // At the next tick the client, busy, comes to the front only as the wait ends: the cycle runs whole.
    desktop.events.clear();
    changeAt(searched().size() + lookAgain.size() - 1, [&] { desktop.foreground = client; });
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::Completed);
    EXPECT_EQ(desktop.events, searched() + lookAgain + ping() + menuAndClick() + oneDownload() + taps(38));
}

TEST_F(CycleTest, ClientThatDoesNotAnswerIsLeftBehindAndGetsNothing) {
    // A frozen client behind the user's window, and Windows' "(Not Responding)" window in its place,
    // which answers for it and comes first in the order of the windows.
    armWith(3, "1");
    clientsWindow().hung = true;
    const WindowHandle notepad = desktop.addWindow("Untitled - Notepad");
    desktop.foreground = notepad;
    desktop.windows.insert(desktop.windows.begin() + 1,
                           {0x900, "KaZaA - 3 downloads (Not Responding)", 0, false, "Ghost"});
    state.tickCount = 4;
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::PutOff);
    EXPECT_EQ(desktop.events, ping());  // not brought forward, no key, no Escape, no wait
    EXPECT_EQ(desktop.foreground, notepad);
    EXPECT_EQ(clientWindow, client);
    EXPECT_EQ(state.periodMinutes, 3);
    EXPECT_EQ(state.tickCount, 4);

    // It answers the search, then stops as it comes forward.
    desktop.events.clear();
    clientsWindow().hung = false;
    changeAt(searched().size() - 1, [&] { clientsWindow().hung = true; });
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::PutOff);
    EXPECT_EQ(desktop.events, found());
    EXPECT_EQ(state.periodMinutes, 3);
}

TEST_F(CycleTest, AccessLettersFollowTheLayoutOfTheThreadInFront) {
    // This program's own thread types Cyrillic; only the client's layout counts.
    desktop.layouts[test::FakeDesktop::kOwnThread] = test::kLayoutRussian;
    const std::pair<KeyboardLayout, bool> cases[] = {
        {test::kLayoutEnglishUS, true},
        {test::kLayoutFrench, true},
        {test::kLayoutLowerCaseLetters, true},
        {test::kLayoutRussian, false},
        {test::kLayoutGreek, false},
        {test::kLayoutJapanese, false},
        {test::kLayoutChineseInputMethod, false},
    };
    for (const auto& [layout, keysTypeTheLetters] : cases) {
        desktop.events.clear();
        desktop.layouts[static_cast<std::uint32_t>(client)] = layout;
        armWith(0, "2");
        EXPECT_EQ(cycle.Timer_Timer(), TickResult::Completed) << std::hex << layout;
        // Every other key as it always goes.
        const Events download = keysTypeTheLetters ? oneDownload() : oneDownload(typed('e'), typed('r'));
        EXPECT_EQ(desktop.events, found() + menuAndClick() + download + download + taps(38, 2)) << std::hex << layout;
    }
    // Asked for every letter: the user switches from Greek back to English while the E is on its way.
    desktop.events.clear();
    desktop.layouts[static_cast<std::uint32_t>(client)] = test::kLayoutGreek;
    desktop.onEvent = [&](const std::string& event) {
        if (event == "char up 101") desktop.layouts[static_cast<std::uint32_t>(client)] = test::kLayoutEnglishUS;
    };
    armWith(0, "1");
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::Completed);
    EXPECT_EQ(desktop.events, found() + menuAndClick() + oneDownload(typed('e'), taps(82)) + taps(38));
}

TEST_F(CycleTest, ClientRunningAboveThisProgramGetsNothingAndTheUserIsToldOncePerArming) {
    // The client runs as administrator, this program does not.
    desktop.integrityLevels[static_cast<std::uint32_t>(client)] = test::kLevelHigh;
    const WindowHandle notepad = desktop.addWindow("Untitled - Notepad");
    desktop.foreground = notepad;
    PanelTexts texts{"1", "0", "Minutes"};
    ASSERT_EQ(arm(state, texts, desktop, 0), ArmResult::Armed);
    desktop.events.clear();
    const Events told = {std::string("msgbox ") + kClientElevatedMessage};
    // Ticks keep coming while the message is open: they look again in silence.
    desktop.onEvent = [&](const std::string& event) {
        if (event == told.front()) {
            EXPECT_EQ(cycle.Timer_Timer(), TickResult::PutOff);
        }
    };
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::PutOff);
    desktop.onEvent = nullptr;
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::PutOff);
    // Not asked, not brought forward, no key: only the message, once.
    EXPECT_EQ(desktop.events, told);
    EXPECT_EQ(desktop.foreground, notepad);
    EXPECT_EQ(clientWindow, client);
    EXPECT_EQ(state.periodMinutes, 0);
    EXPECT_EQ(state.tickCount, 1);

    // Armed again, the user is told again.
    desktop.events.clear();
    ASSERT_EQ(arm(state, texts, desktop, 0), ArmResult::Armed);
    cycle.Timer_Timer();
    EXPECT_EQ(desktop.events, Events{"timer on 0 1 60000"} + told);

    // Once the client runs at or below this program's level, or a level cannot be read, ticks work it.
    const std::pair<std::optional<std::uint32_t>, std::optional<std::uint32_t>> worked[] = {
        {test::kLevelMedium, test::kLevelMedium},  // the usual case
        {test::kLevelLow, test::kLevelMedium},     // a client in a sandbox
        {test::kLevelHigh, test::kLevelHigh},      // both as administrator
        {std::nullopt, test::kLevelMedium},        // a client of another account, not to be opened
        {test::kLevelHigh, std::nullopt},          // Windows XP: no levels at all
    };
    for (const auto& [theirs, ours] : worked) {
        desktop.events.clear();
        desktop.integrityLevels[static_cast<std::uint32_t>(client)] = theirs;
        desktop.integrityLevels[test::FakeDesktop::kOwnProcess] = ours;
        EXPECT_EQ(cycle.Timer_Timer(), TickResult::Completed) << theirs.value_or(0) << " " << ours.value_or(0);
        EXPECT_EQ(desktop.events, found() + menuAndClick() + oneDownload() + taps(38));
    }
}

TEST_F(CycleTest, ClickIsCountedFromTheCornerOfTheClientsMonitor) {
    desktop.monitors.push_back({1920, 0, 3840, 1080});
    desktop.monitors.push_back({-1280, -200, 0, 824});
    armWith(0, "0");
    const std::pair<std::size_t, std::string> cases[] = {{1, "2039 150"}, {2, "-1161 -50"}};
    for (const auto& [monitor, point] : cases) {
        desktop.events.clear();
        desktop.windows[1].monitor = monitor;
        EXPECT_EQ(cycle.Timer_Timer(), TickResult::Completed);
        const Events click = {"cursor " + point, "leftclick " + point};
        EXPECT_EQ(desktop.events, found() + kMenuCommand + Events{"sleep 500"} + ping() + click);
    }
}

TEST_F(CycleTest, ClientNotRunningShowsTheMessageOnceAndEnds) {
    desktop.windows.erase(desktop.windows.begin() + 1);
    armWith(0, "2");
    clientWindow = 0x999;  // found by an earlier cycle, gone since
    bool tickDuringMessage = false;
    desktop.onEvent = [&](const std::string& event) {
        if (event.rfind("msgbox", 0) == 0) {
            EXPECT_EQ(cycle.Timer_Timer(), TickResult::Ignored);
            tickDuringMessage = true;
        }
    };
    EXPECT_EQ(cycle.Timer_Timer(), TickResult::ClientNotRunning);
    EXPECT_TRUE(tickDuringMessage);
    EXPECT_EQ(desktop.events, (Events{"msgbox KaZaA Media Desktop is not running, please start KaZaA first and try "
                                      "again."}));
    EXPECT_EQ(clientWindow, 0u);
}

TEST(ClientFinder, TitlePrefixIsExactAndCaseSensitive) {
    EXPECT_TRUE(titleMarksClient("KaZaA - "));
    EXPECT_TRUE(titleMarksClient("KaZaA - x"));
    for (const char* title : {"KaZaA -", "kazaa - x", "xKaZaA - x", "KAZAA - x", "", "KaZaA  - "})
        EXPECT_FALSE(titleMarksClient(title)) << title;
}

TEST(ClientFinder, FirstMatchingWindowWinsAndEndsTheSearch) {
    struct CountingDesktop : test::FakeDesktop {
        int titlesRead = 0;
        int GetWindowTextLengthA(WindowHandle window) override {
            ++titlesRead;
            return FakeDesktop::GetWindowTextLengthA(window);
        }
    } desktop;
    desktop.addWindow("");
    desktop.addWindow("KaZaA -");
    WindowHandle first = desktop.addWindow("KaZaA - first");
    desktop.addWindow("KaZaA - second");
    clientWindow = 0;
    ClientSearch search{desktop};
    desktop.EnumWindows(FindClientWindowProc, reinterpret_cast<std::intptr_t>(&search));
    EXPECT_EQ(clientWindow, first);
    EXPECT_TRUE(search.answered);
    EXPECT_EQ(desktop.titlesRead, 3);
    const std::string w = std::to_string(first);
    EXPECT_EQ(desktop.events, (Events{"ping " + w, "front " + w, "showasync " + w + " 3"}));
}

TEST(ClientFinder, WindowWithoutTitleReadsEmpty) {
    test::FakeDesktop desktop;
    EXPECT_EQ(readWindowTitle(desktop, 0), "");
    WindowHandle w = desktop.addWindow("KaZaA - ");
    EXPECT_EQ(readWindowTitle(desktop, w), "KaZaA - ");
}

TEST(KeyInput, TapsAreDownThenUpWithoutScanCodeOrExtendedFlag) {
    test::FakeDesktop desktop;
    KeyPress(desktop, 27);
    KeyPress(desktop, 40);
    KeyPress(desktop, 93);
    EXPECT_EQ(desktop.events, taps(27) + taps(40) + taps(93));
}

TEST(KeyInput, CodesOutsideAByteProduceNoEvent) {
    test::FakeDesktop desktop;
    for (std::int32_t code : {-1, 256, 0x10D, 1 << 20}) KeyPress(desktop, code);
    EXPECT_TRUE(desktop.events.empty());
    KeyPress(desktop, 255);
    EXPECT_EQ(desktop.events, taps(255));
}

TEST(KeyInput, ClickLeavesThePointerAtThePointAndIsOneEventThatCarriesIt) {
    test::FakeDesktop desktop;
    LeftClick(desktop, 119, 150);
    EXPECT_EQ(desktop.events, kClick);
}

TEST(KeyInput, NormalizedPointsMapBackToTheirPixelInEveryCorner) {
    const ScreenRect screens[] = {
        {0, 0, 1024, 768},          // one monitor at the origin
        {-1280, -200, 1920, 1080},  // a second monitor left of and above the primary one
        {0, 0, 1367, 769},          // odd sizes
        {-1023, -333, 2921, 1081},
        {0, 0, 11520, 2160},  // three wide monitors in a row
        {0, 0, 1, 1},
    };
    for (const ScreenRect& s : screens) {
        const int width = s.right - s.left, height = s.bottom - s.top;
        const std::pair<int, int> points[] = {{s.left, s.top},
                                              {s.right - 1, s.top},
                                              {s.left, s.bottom - 1},
                                              {s.right - 1, s.bottom - 1},
                                              {s.left + 119, s.top + 150}};
        for (const auto& [x, y] : points) {
            if (x >= s.right || y >= s.bottom) continue;
            const NormalizedPoint n = normalizedOnVirtualScreen(x, y, s);
            EXPECT_LE(n.x, 65535u);
            EXPECT_LE(n.y, 65535u);
            // Back to a pixel as Wine does (and Windows as documented): scaled by the size, rounded down;
            // and as some report of Windows: scaled by the size less one, rounded to nearest.
            EXPECT_EQ(s.left + static_cast<int>(std::int64_t{n.x} * width >> 16), x) << s.left << " " << width;
            EXPECT_EQ(s.top + static_cast<int>(std::int64_t{n.y} * height >> 16), y) << s.top << " " << height;
            EXPECT_EQ(s.left + static_cast<int>((std::int64_t{n.x} * (width - 1) + 32767) / 65535), x) << width;
            EXPECT_EQ(s.top + static_cast<int>((std::int64_t{n.y} * (height - 1) + 32767) / 65535), y) << height;
        }
        // Off the virtual screen: its nearest edge.
        const NormalizedPoint outside = normalizedOnVirtualScreen(s.right + 50, s.top - 50, s);
        EXPECT_EQ(s.left + static_cast<int>(std::int64_t{outside.x} * width >> 16), s.right - 1);
        EXPECT_EQ(s.top + static_cast<int>(std::int64_t{outside.y} * height >> 16), s.top);
    }
}

}  // namespace
}  // namespace trawlix
