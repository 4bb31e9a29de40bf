#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "FakeDesktop.h"
#include "panel/Arming.h"
#include "panel/DigitFilter.h"
#include "panel/SingleCopy.h"
#include "common/NumberText.h"
#include "panel/TrayIcon.h"

namespace trawlix {
namespace {

std::optional<std::int16_t> hours(const std::string& interval) { return periodMinutesFor(UnitKind::Hours, interval); }
std::optional<std::int16_t> minutes(const std::string& interval) {
    return periodMinutesFor(UnitKind::Minutes, interval);
}

TEST(PeriodConversion, WholeValues) {
    EXPECT_EQ(hours("2"), 120);
    EXPECT_EQ(minutes("45"), 45);
    EXPECT_EQ(hours("546"), 32760);
    EXPECT_EQ(hours("0"), 0);
    EXPECT_EQ(minutes("0"), 0);
    EXPECT_EQ(minutes("32767"), 32767);
    EXPECT_EQ(minutes("007"), 7);
}

TEST(PeriodConversion, FractionsRoundHalfToEven) {
    EXPECT_EQ(hours("0.125"), 8);   // 7.5
    EXPECT_EQ(hours("0.375"), 22);  // 22.5
    EXPECT_EQ(minutes("2.5"), 2);
    EXPECT_EQ(minutes("3.5"), 4);
    EXPECT_EQ(minutes("2.51"), 3);
    EXPECT_EQ(minutes("-2.5"), -2);
    EXPECT_EQ(hours("546.1"), 32766);
}

TEST(PeriodConversion, OutOfRangeOrNotANumberIsRefused) {
    EXPECT_EQ(hours("546.125"), std::nullopt);  // 32767.5 rounds to 32768
    EXPECT_EQ(hours("547"), std::nullopt);
    EXPECT_EQ(minutes("32768"), std::nullopt);
    EXPECT_EQ(minutes("-32769"), std::nullopt);
    EXPECT_EQ(minutes("-32768"), -32768);
    EXPECT_EQ(minutes(std::string(400, '9')), std::nullopt);
    EXPECT_EQ(minutes("0." + std::string(400, '0') + "1"), std::nullopt);  // below the smallest double
    for (const char* text : {"", " ", "abc", "12a", "1,5", "1e3", "0x10", ".", "-", "1.2.3", "++1"})
        EXPECT_EQ(minutes(text), std::nullopt) << '"' << text << '"';
}

TEST(PeriodConversion, ReadsTheSameWhateverTheCRuntimesDecimalPoint) {
    // Any library in the process may switch the C runtime's locale, for instance to one whose
    // decimal point is a comma. The native build makes such a locale for this test.
    struct RestoreCLocale {
        ~RestoreCLocale() { std::setlocale(LC_NUMERIC, "C"); }
    } restore;
#ifdef _WIN32
    // Windows' C runtimes know German by its Windows names (msvcrt the older, the UCRT the newer).
    if (!std::setlocale(LC_NUMERIC, "German_Germany.1252") && !std::setlocale(LC_NUMERIC, "de-DE"))
        GTEST_SKIP() << "this C runtime has no German locale to switch to";
#else
    setenv("LOCPATH", TRAWLIX_TEST_LOCALES, 1);
    ASSERT_TRUE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"));
#endif
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(minutes("3.5"), 4);
    EXPECT_EQ(hours("0.125"), 8);
    EXPECT_EQ(parseNumberText("-.5"), -0.5);
    EXPECT_EQ(minutes("1,5"), std::nullopt);
}

TEST(PeriodConversion, NumberSyntax) {
    EXPECT_EQ(parseNumberText(" 12 "), 12.0);
    EXPECT_EQ(parseNumberText("+3"), 3.0);
    EXPECT_EQ(parseNumberText("-.5"), -0.5);
    EXPECT_EQ(parseNumberText("5."), 5.0);
    EXPECT_EQ(roundHalfEven(0.5), 0.0);
    EXPECT_EQ(roundHalfEven(1.5), 2.0);
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(-0.4), 0.0);
}

TEST(UnitText, OnlyTheFourListedSpellingsAreUnits) {
    EXPECT_EQ(unitKind("Hours"), UnitKind::Hours);
    EXPECT_EQ(unitKind("hours"), UnitKind::Hours);
    EXPECT_EQ(unitKind("Minutes"), UnitKind::Minutes);
    EXPECT_EQ(unitKind("minutes"), UnitKind::Minutes);
    for (const char* text : {"HOURS", "Seconds", "", "Minutes ", " Minutes", "Minute", "MINUTES"})
        EXPECT_EQ(unitKind(text), UnitKind::Unknown) << '"' << text << '"';
}

struct ArmingTest : ::testing::Test {
    test::FakeDesktop desktop;
    PanelState state;
    static constexpr WindowHandle kWindow = 0x42;  // the main window, which owns the timer

    ArmResult arm(const PanelTexts& texts) { return trawlix::arm(state, texts, desktop, kWindow); }
    void disarm() { trawlix::disarm(state, desktop, kWindow); }
};

TEST_F(ArmingTest, ArmingTakesThePeriodTheDownloadsAndRestartsCounting) {
    EXPECT_EQ(arm({"3", "2", "hours"}), ArmResult::Armed);
    EXPECT_EQ(state.periodMinutes, 120);
    EXPECT_EQ(state.downloadCount, "3");
    EXPECT_EQ(state.tickCount, 1);
    EXPECT_TRUE(state.armed);
    EXPECT_EQ(desktop.events, (std::vector<std::string>{"timer on 66 1 60000"}));

    // Armed again: everything is taken afresh.
    state.tickCount = 9;
    EXPECT_EQ(arm({"", "45", "Minutes"}), ArmResult::Armed);
    EXPECT_EQ(state.periodMinutes, 45);
    EXPECT_EQ(state.downloadCount, "");
    EXPECT_EQ(state.tickCount, 1);
}

TEST_F(ArmingTest, RefusedUnitShowsItsMessageAndChangesNothing) {
    ASSERT_EQ(arm({"2", "10", "Minutes"}), ArmResult::Armed);
    state.tickCount = 5;
    const PanelState before = state;
    for (const char* unit : {"HOURS", "Seconds", "", "Minutes "}) {
        desktop.events.clear();
        EXPECT_EQ(arm({"7", "3", unit}), ArmResult::UnitRefused);
        EXPECT_EQ(desktop.events,
                  (std::vector<std::string>{
                      "msgbox Use the drop down list to select only hours, minutes, or seconds please."}));
        EXPECT_EQ(state.periodMinutes, before.periodMinutes);
        EXPECT_EQ(state.tickCount, before.tickCount);
        EXPECT_EQ(state.downloadCount, before.downloadCount);
        EXPECT_TRUE(state.armed);
    }
}

TEST_F(ArmingTest, RefusedIntervalShowsItsMessageAndChangesNothing) {
    for (const char* interval : {"", "abc", "32768", "546.125"}) {
        desktop.events.clear();
        EXPECT_EQ(arm({"2", interval, interval[0] == '5' ? "Hours" : "Minutes"}), ArmResult::IntervalRefused);
        EXPECT_EQ(desktop.events, (std::vector<std::string>{
                                      "msgbox Enter the period in digits, up to 32767 minutes or 546 hours, please."}));
        EXPECT_FALSE(state.armed);
        EXPECT_EQ(state.tickCount, 0);
    }
}

TEST_F(ArmingTest, DisarmingKeepsTheValuesForTheNextArming) {
    ASSERT_EQ(arm({"4", "10", "Minutes"}), ArmResult::Armed);
    state.tickCount = 6;
    desktop.events.clear();
    disarm();
    disarm();
    EXPECT_EQ(desktop.events, (std::vector<std::string>{"timer off 66 1", "timer off 66 1"}));
    EXPECT_FALSE(state.armed);
    EXPECT_EQ(state.periodMinutes, 10);
    EXPECT_EQ(state.tickCount, 6);
    EXPECT_EQ(state.downloadCount, "4");
    EXPECT_STREQ(statusCaption(false), "Status: Disabled");
    EXPECT_STREQ(statusCaption(true), "Status: Enabled");
}

TEST(DigitFilter, DigitsBackspaceAndDeletePassEverythingElseIsRefused) {
    test::FakeDesktop desktop;
    for (int code = 0; code < 256; ++code) {
        bool passes = code == 8 || code == 127 || (code >= '0' && code <= '9');
        desktop.events.clear();
        EXPECT_EQ(digitFilter(static_cast<std::uint16_t>(code), desktop), passes ? code : 0) << code;
        EXPECT_EQ(desktop.events.size(), passes ? 0u : 1u) << code;
    }
    EXPECT_EQ(digitFilter(0x3031, desktop), 0);  // not a digit, only its low byte is
    EXPECT_EQ(desktop.events.back(), "msgbox Only enter numbers, please");
}

TEST(TrayIconRecordLayout, FilledForTheShell) {
    TrayIconRecord record = makeTrayIconRecord(0x1234, 0x5678);
    EXPECT_EQ(record.cbSize, 88u);
    EXPECT_EQ(record.hWnd, 0x1234u);
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, 7u);
    EXPECT_EQ(record.uCallbackMessage, 512u);
    EXPECT_EQ(record.hIcon, 0x5678u);
    EXPECT_EQ(std::string(record.szTip, 8), std::string("Trawlix\0", 8));
    EXPECT_EQ(std::string(record.szTip + 8, 56), std::string(56, ' '));
    // The shell gets the handles back widened as Windows widens them: by sign extension.
    EXPECT_EQ(handleFrom32Bits(0xFFFF8000u), static_cast<std::uintptr_t>(std::intptr_t{-0x8000}));
}

TEST(TrayIconAdd, ARefusedDuplicateCountsAsShownAMissingNotificationAreaDoesNot) {
    test::FakeDesktop desktop;
    desktop.notificationArea = false;  // signing in: the shell has not started yet
    EXPECT_FALSE(addTrayIcon(desktop));
    desktop.notificationArea = true;
    EXPECT_TRUE(addTrayIcon(desktop));
    EXPECT_TRUE(addTrayIcon(desktop));  // refused as a second add of the same icon
    EXPECT_EQ(desktop.events, (std::vector<std::string>{"tray 0", "tray 1", "tray 0", "tray 0", "tray 1"}));
}

// A start while another copy may run in the session: its main window, found by its class, answers
// the start's request as given.
struct StartScene {
    using Events = std::vector<std::string>;
    test::FakeDesktop desktop;
    WindowHandle running = 0;
    const std::string copyMutex = "mutex Local\\Trawlix.SingleCopy";

    StartScene() { desktop.addWindow("KaZaA - 3 downloads"); }
    // The copy's window answers with a literal: 1 running, 2 closing, 0 as a window without the
    // handler does.
    void runningCopy(std::intptr_t answer) {
        mutexHeld();
        running = desktop.addWindow("Trawlix 1.10");
        desktop.windows.back().className = "TrawlixMainWindow";
        desktop.windows.back().answer = answer;
    }
    void hungCopy() {
        runningCopy(1);
        desktop.windows.back().hung = true;
    }
    void mutexHeld() { desktop.mutexesOpenToThis[kSingleCopyMutexName] = true; }
    StartDecision start(bool enable) { return decideStart(desktop, enable); }
    // The request: 1 to be shown, 0 only to answer; the copy may take a second.
    std::string request(int show) const {
        return "send " + std::to_string(running) + " 49152 " + std::to_string(show) + " 0 flags=1 timeout=1000";
    }
    std::string allowFront() const { return "allowfront " + std::to_string(running); }
    // Calls back on the nth event of that text (counted from 1).
    void onNth(const std::string& event, int n, std::function<void()> change) {
        desktop.onEvent = [event, n, change, seen = 0](const std::string& e) mutable {
            if (e == event && ++seen == n) change();
        };
    }
};
struct StartTest : ::testing::Test, StartScene {};

TEST_F(StartTest, TheFirstStartRunsAlonePlainOrEnabled) {
    for (bool enable : {false, true}) {
        test::FakeDesktop fresh;
        EXPECT_EQ(decideStart(fresh, enable), StartDecision::RunAsFirst);
        EXPECT_EQ(fresh.events, Events{copyMutex});
    }
}

TEST_F(StartTest, APlainSecondStartHandsOnTheFrontAndHasTheRunningCopyShown) {
    runningCopy(1);  // "running", as the copy's window procedure answers
    EXPECT_EQ(start(false), StartDecision::End);
    EXPECT_EQ(desktop.events, (Events{copyMutex, allowFront(), request(1)}));
    EXPECT_TRUE(desktop.registry.empty());
}

TEST_F(StartTest, AnEnabledSecondStartOnlyAsksAndEnds) {
    runningCopy(1);
    EXPECT_EQ(start(true), StartDecision::End);
    EXPECT_EQ(desktop.events, (Events{copyMutex, request(0)}));
}

TEST_F(StartTest, ACopyStillMakingItsWindowIsAskedOnceItHasOne) {
    desktop.mutexesOpenToThis[kSingleCopyMutexName] = true;
    onNth("wait 100", 2, [&] { runningCopy(1); });
    EXPECT_EQ(start(true), StartDecision::End);
    EXPECT_EQ(desktop.events, (Events{copyMutex, "wait 100", "wait 100", request(0)}));
}

// A copy that does not answer "running": how long it holds the start, and whether the start runs.
TEST_F(StartTest, ACopyNotAnsweringRunningHoldsTheStartUntilItEndsOrAtMostTenSeconds) {
    const auto repeated = [](Events events, int times) {
        Events all;
        for (int i = 0; i < times; ++i) all.insert(all.end(), events.begin(), events.end());
        return all;
    };
    struct Case {
        const char* what;
        std::function<void(StartScene&)> setUp;
        bool enable;
        StartDecision decision;
        std::function<Events(StartScene&)> afterMutex;
    };
    // Laid out by hand: clang-format 14 and 19 break lambdas inside braces differently.
    // clang-format off
    const std::vector<Case> cases = {
        {"hung: a second for the request, one for its end", [](StartScene& t) { t.hungCopy(); }, false,
         StartDecision::End,
         [](StartScene& t) {
             return Events{t.allowFront(), t.request(1), "wait 1000"};
         }},
        {"hung, asked from the sign-in entry", [](StartScene& t) { t.hungCopy(); }, true, StartDecision::End,
         [](StartScene& t) {
             return Events{t.request(0), "wait 1000"};
         }},
        {"too busy closing to answer: its process ends within that second",
         [](StartScene& t) {
             t.hungCopy();
             t.desktop.mutexOwnerEnded = true;
         },
         false, StartDecision::RunAsFirst,
         [](StartScene& t) {
             return Events{t.allowFront(), t.request(1), "wait 1000"};
         }},
        {"closing: waited for until its window and then its process are gone",
         [](StartScene& t) {
             t.runningCopy(2);
             t.desktop.onEvent = [&t, waits = 0](const std::string& e) mutable {
                 if (e != "wait 100") return;
                 if (++waits == 2) t.desktop.windows.pop_back();
                 if (waits == 3) t.desktop.mutexOwnerEnded = true;
             };
         },
         false, StartDecision::RunAsFirst,
         [](StartScene& t) {
             return Events{t.allowFront(), t.request(1), "wait 100", t.allowFront(),
                           t.request(1),   "wait 100",   "wait 100"};
         }},
        {"closing for good: ten seconds, then the start ends", [](StartScene& t) { t.runningCopy(2); }, true,
         StartDecision::End,
         [&](StartScene& t) {
             return repeated({t.request(0), "wait 100"}, 101);
         }},
        {"a foreign window of the class, answering 0 as one without the handler does",
         [](StartScene& t) { t.runningCopy(0); }, true, StartDecision::End,
         [&](StartScene& t) {
             return repeated({t.request(0), "wait 100"}, 101);
         }},
        {"a mutex that is never let go and no window", [](StartScene& t) { t.mutexHeld(); }, false, StartDecision::End,
         [&](StartScene&) { return Events(101, "wait 100"); }},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartScene t;
        c.setUp(t);
        EXPECT_EQ(t.start(c.enable), c.decision);
        Events expected{copyMutex};
        const Events after = c.afterMutex(t);
        expected.insert(expected.end(), after.begin(), after.end());
        EXPECT_EQ(t.desktop.events, expected);
    }
}

TEST_F(StartTest, AForeignWindowOfTheClassWithNoCopyRunningIsNotAsked) {
    runningCopy(0);
    desktop.mutexesOpenToThis.clear();
    EXPECT_EQ(start(false), StartDecision::RunAsFirst);
    EXPECT_EQ(desktop.events, Events{copyMutex});
}

TEST_F(StartTest, ACopyRunningAsAdministratorIsToldOfInOneBoxAndNeverJoined) {
    runningCopy(1);
    desktop.mutexesOpenToThis[kSingleCopyMutexName] = false;
    const std::string messageMutex = "mutex Local\\Trawlix.AdministratorMessage";
    EXPECT_EQ(start(false), StartDecision::End);
    EXPECT_EQ(desktop.events,
              (Events{copyMutex, messageMutex,
                      "msgbox Trawlix already runs as administrator, and Windows keeps this start from showing it. "
                      "Start Trawlix as administrator to show it, or exit it and start Trawlix normally."}));
    // Started again while that box is open, and from the sign-in entry.
    for (bool enable : {false, true}) {
        desktop.events.clear();
        EXPECT_EQ(start(enable), StartDecision::End);
        EXPECT_EQ(desktop.events, (enable ? Events{copyMutex} : Events{copyMutex, messageMutex}));
    }
}

TEST_F(StartTest, AStartThatMayNotMakeTheMutexRunsWhenNoCopyIsThere) {
    desktop.mutexesOpenToThis[kSingleCopyMutexName] = false;
    for (bool enable : {false, true}) {
        desktop.events.clear();
        EXPECT_EQ(start(enable), StartDecision::RunAsFirst);
        EXPECT_EQ(desktop.events, Events{copyMutex});
    }
}

}  // namespace
}  // namespace trawlix
