// The test kit's runner (run-tests.cmd starts it): runs the x64 set, then the x86 set, on this
// Windows, and keeps the user's own Trawlix as it was.
//   KitRunner.exe [--only PROGRAM]... [--gtest_...]...
// Exit code: 0 all passed, 1 a test failed, 2 refused to start, 3 interrupted, 4 something of the
// user's could not be put back.
#include <windows.h>

#include <string>
#include <vector>

#include "RunnerOutput.h"
#include "SafetyChecks.h"
#include "TestResults.h"
#include "TestSet.h"
#include "UserState.h"

namespace {

using kit::say;

enum ExitCode { kPassed = 0, kFailed = 1, kRefused = 2, kInterrupted = 3, kNotPutBack = 4 };

// Measured: the x64 set takes about 100 s under Wine on a 2-core machine; most of it is the tests'
// own waiting, which Windows does not shorten.
constexpr int kMinutesPerSet = 3;

HANDLE stopEvent = nullptr;      // set by the console handler: the user interrupted the run
HANDLE restoredEvent = nullptr;  // set by the main thread once the user's Trawlix is back

// Ctrl+C, Ctrl+Break, a closed console window, sign-out or shut-down: the running test program is
// ended and the main thread puts the user's things back. A closed window gives a handler about 5 s
// before Windows ends the process, so the handler waits no longer than that.
BOOL WINAPI onConsoleEvent(DWORD event) {
    SetEvent(stopEvent);
    const bool windowGoes = event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    WaitForSingleObject(restoredEvent, windowGoes ? 4500 : INFINITE);
    return TRUE;
}

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring ownFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return folderOf(path);
}

bool putBack(const kit::UserState& user) {
    kit::endLeftoverPrograms();
    const auto left = user.restore();
    if (left.empty()) {
        say(L"Your Trawlix settings, sign-in entry and installed copy are as they were before the run.");
        return true;
    }
    say(L"Could not put back:");
    for (const auto& line : left) say(L"  " + line);
    say(L"The saved copy stays in " + user.where() + L". Run the kit again to put it back, or copy it back by hand.");
    return false;
}

void explain(const std::vector<kit::TestSet>& sets) {
    say(L"Trawlix test kit: the unit and end-to-end tests of Trawlix 1.10, on this Windows.");
    say(L"It takes about " + std::to_wstring(kMinutesPerSet * static_cast<int>(sets.size())) + L" minutes (" +
        std::to_wstring(sets.size()) + L" sets). Leave the keyboard and the mouse alone until it ends:");
    say(L"the tests start Trawlix and a stand-in for KaZaA, and type and click into their windows.");
    say(L"A virtual machine is the best place for it. Your own Trawlix settings, its start at sign-in and an");
    say(L"installed Trawlix are saved and removed first, and put back afterwards, also when you press Ctrl+C.");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring root = folderOf(ownFolder());
    kit::RunOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument == L"--only" && i + 1 < argc) options.only.push_back(argv[++i]);
        else if (argument.rfind(L"--gtest_", 0) == 0) options.gtestArguments.push_back(argument);
        else {
            say(L"usage: run-tests.cmd [--only PROGRAM]... [--gtest_filter=...]");
            return kRefused;
        }
    }
    std::vector<kit::TestSet> sets;
    for (const wchar_t* name : {L"x64", L"x86"})
        if (GetFileAttributesW((root + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES)
            sets.emplace_back(name, root + L"\\" + name);
    explain(sets);
    say(L"");

    // One run at a time: two would work the same windows and the same saved copy.
    HANDLE oneRun = CreateMutexW(nullptr, FALSE, L"Local\\TrawlixTestKit");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        say(L"Not started: another run of the test kit is going on. Nothing was changed.");
        return kRefused;
    }
    const auto reasons = kit::reasonsToRefuse();
    if (!reasons.empty()) {
        for (const auto& reason : reasons) say(L"Not started: " + reason);
        say(L"Nothing was changed.");
        return kRefused;
    }

    const kit::UserState user;
    if (user.savedCopyExists()) {
        say(L"An earlier run ended before it could put back your Trawlix; putting it back now.");
        if (!putBack(user)) return kNotPutBack;
    }
    std::wstring problem;
    if (!user.save(problem)) {
        say(L"Not started: " + problem + L" Nothing was changed.");
        return kRefused;
    }
    say(L"Saved your Trawlix settings, sign-in entry and installed copy (if any) in " + user.where() + L".");
    // From here on the saved copy is complete: an interruption puts it back.
    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    restoredEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    options.stop = stopEvent;
    SetConsoleCtrlHandler(nullptr, FALSE);  // Ctrl+C too, even when started in a new process group
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);

    // The tests start as on a PC without Trawlix: the installer tests expect no earlier installation.
    const auto notCleared = user.clear();
    if (!notCleared.empty()) {
        say(L"Not started: could not remove your Trawlix for the run:");
        for (const auto& line : notCleared) say(L"  " + line);
        const bool back = putBack(user);
        SetEvent(restoredEvent);
        return back ? kRefused : kNotPutBack;
    }

    options.resultsFolder = root + L"\\results";
    CreateDirectoryW(options.resultsFolder.c_str(), nullptr);
    std::vector<std::wstring> closing;
    kit::Tally total;
    for (std::size_t i = 0; i < sets.size() && WaitForSingleObject(stopEvent, 0) != WAIT_OBJECT_0; ++i) {
        const kit::TestSet& set = sets[i];
        kit::Tally tally;
        std::wstring why = set.whyItCannotStart(options);
        if (why.empty()) {
            tally = set.run(options);
            // Programs that listed tests and then ran none did not test anything: never "0 passed".
            if (tally.total() == 0 && WaitForSingleObject(stopEvent, 0) != WAIT_OBJECT_0)
                why = L"its programs ran no test";
        }
        if (!why.empty()) {
            // Counted by the other set's programs, built from the same sources; by program if none runs.
            int count = -1;
            for (const auto& other : sets)
                if (&other != &set && count < 0) count = other.testCount(options);
            const auto programs = set.programs(options);
            tally.skipped = count >= 0 ? count : static_cast<int>(programs.size());
            const std::wstring counted = count >= 0 ? std::to_wstring(count) + L" tests"
                                                    : std::to_wstring(programs.size()) + L" programs";
            closing.push_back(set.name() + L": not run: " + why + L"; its " + counted + L" count as skipped");
        }
        closing.push_back(set.name() + L": " + kit::closingLine(tally));
        total += tally;
    }
    const bool interrupted = WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;

    say(L"");
    if (interrupted) say(L"Interrupted: the run stopped part-way.");
    const bool back = putBack(user);
    SetEvent(restoredEvent);
    say(L"Reports: " + options.resultsFolder);
    for (const auto& line : closing) say(line);
    say(kit::closingLine(total));
    CloseHandle(oneRun);
    if (interrupted) return kInterrupted;
    if (!back) return kNotPutBack;
    return total.failed > 0 ? kFailed : kPassed;
}
