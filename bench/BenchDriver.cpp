// The bench's driver, run by scripts/bench.sh in the bench's own Wine prefix and display. It starts
// the programs it measures, drives them from outside as the end-to-end tests do, and prints what it
// measures one figure a line, "name value ...", for the script to collect:
//   BenchDriver figures RUNS STARTS SECONDS   start-up (STARTS times each), then memory, objects,
//                                             and CPU time and wakeups over SECONDS armed and
//                                             hidden: RUNS copies of each of the two floors
//                                             and one Trawlix, all side by side
//   BenchDriver cycle RUNS                    one cycle with 3 and with 200 downloads, RUNS times each
//   BenchDriver soak CYCLES ABOUTS RESTORES   the soak, with the soak build of Trawlix
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "E2eSupport.h"
#include "ProcessStats.h"
#include "automation/AutomationCycle.h"
#include "common/AppInfo.h"
#include "shell/AboutControlIds.h"
#include "shell/ControlIds.h"
#include "shell/Win32APIcalls.h"

namespace ids = trawlix::ids;

namespace {

double nowMs() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void print(const std::string& name, double value) {
    std::printf("%s %.3f\n", name.c_str(), value);
    std::fflush(stdout);
}

void printLoad(const std::string& when) {
    std::printf("load %s %s\n", when.c_str(), bench::loadAverage().c_str());
    std::fflush(stdout);
}

// Waits in steps of a millisecond: the figures below are a few milliseconds long.
bool waitFor(const std::function<bool()>& condition, double timeoutMs) {
    for (double start = nowMs(); !condition();) {
        if (nowMs() - start > timeoutMs) return false;
        Sleep(1);
    }
    return true;
}

HWND shownWindow(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
        static BOOL CALLBACK visit(HWND window, LPARAM lParam) {
            auto* search = reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
            search->found = window;
            return FALSE;
        }
    } search{processId, nullptr};
    EnumWindows(Search::visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct Program {
    const char* name;
    const char* exe;
};
const Program kPrograms[] = {
    {"bare", "BenchBareFloor.exe"},
    {"controls", "BenchControlsFloor.exe"},
    {"trawlix", "Trawlix.exe"},
};

// A program the bench started, with the time it took to show its window.
struct Running {
    const Program* program;
    std::unique_ptr<e2e::Process> process;
    std::unique_ptr<bench::ProcessStats> stats;
    HWND window = nullptr;
    double startupMs = 0;
};

std::unique_ptr<Running> start(const Program& program) {
    auto running = std::make_unique<Running>();
    running->program = &program;
    const double started = nowMs();
    running->process = std::make_unique<e2e::Process>(program.exe, "");
    waitFor([&] { return (running->window = shownWindow(running->process->id())) != nullptr; }, 60000);
    running->startupMs = nowMs() - started;
    running->stats = std::make_unique<bench::ProcessStats>(running->process->id(), program.exe);
    return running;
}

void printMemory(const std::string& state, const Running& running) {
    const bench::MemoryFigures memory = running.stats->memory();
    const std::string name = running.program->name;
    print("rss_" + state + "." + name, memory.rssKb);
    print("anon_" + state + "." + name, memory.anonKb);
    print("file_" + state + "." + name, memory.fileKb);
    for (const auto& [mapping, kb] : running.stats->residentByMapping())
        std::printf("mapping_%s.%s %s %.0f\n", state.c_str(), name.c_str(), mapping.c_str(), kb);
    std::fflush(stdout);
}

int figures(int runs, int starts, int idleSeconds) {
    printLoad("figures");
    // Trawlix starts as a user's does, with its settings stored.
    e2e::storeSetting("ndownloads", "3");
    e2e::storeSetting("interval", "10");
    e2e::storeSetting("timeunit", "Minutes");

    // Start-up alone: each program started and closed again, one at a time, each round in another
    // order so that none is always first after a quiet spell.
    for (int round = 0; round < starts; ++round) {
        for (int i = 0; i < 3; ++i) {
            std::unique_ptr<Running> running = start(kPrograms[(i + round) % 3]);
            if (!running->window) {
                std::fprintf(stderr, "%s did not start\n", running->program->exe);
                return 1;
            }
            print(std::string("startup.") + running->program->name, running->startupMs);
            PostMessageA(running->window, WM_CLOSE, 0, 0);
            running->process->waitForExit(20000);
        }
    }

    // The runs side by side: RUNS of each floor at once, and one Trawlix, which lets no second copy
    // run beside it in the same sign-in.
    std::vector<std::unique_ptr<Running>> programs;
    for (int run = 0; run < runs; ++run) {
        for (int i = 0; i < 3; ++i) {
            const Program& program = kPrograms[(i + run) % 3];
            if (run > 0 && std::string(program.name) == "trawlix") continue;
            programs.push_back(start(program));
            if (!programs.back()->window || !programs.back()->stats->found()) {
                std::fprintf(stderr, "%s did not start\n", programs.back()->program->exe);
                return 1;
            }
        }
    }
    Sleep(5000);
    for (const auto& p : programs) printMemory("idle", *p);

    // Trawlix armed by its Enable button (every 10 minutes: no cycle within the window), the
    // floors minimized and hidden like it.
    for (const auto& p : programs) {
        if (std::string(p->program->name) == "trawlix") {
            SendMessageA(GetDlgItem(p->window, ids::go), BM_CLICK, 0, 0);
        } else {
            ShowWindow(p->window, SW_MINIMIZE);
            ShowWindow(p->window, SW_HIDE);
        }
    }
    for (const auto& p : programs) waitFor([&] { return !IsWindowVisible(p->window); }, 20000);
    Sleep(5000);
    for (const auto& p : programs) {
        printMemory("hidden", *p);
        const bench::ObjectCounts objects = p->stats->objects();
        print(std::string("handles.") + p->program->name, objects.handles);
        print(std::string("gdi.") + p->program->name, objects.gdi);
        print(std::string("user.") + p->program->name, objects.user);
        print(std::string("windows.") + p->program->name, objects.windows);
    }

    printLoad("idle-window-start");
    std::vector<bench::ThreadTotals> before;
    for (const auto& p : programs) before.push_back(p->stats->threads());
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    const double minutes = idleSeconds / 60.0;
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const bench::ThreadTotals after = programs[i]->stats->threads();
        const std::string name = programs[i]->program->name;
        print("cpu_ms_per_min." + name, (after.cpuMs - before[i].cpuMs) / minutes);
        print("wakeups_per_min." + name, static_cast<double>(after.voluntary - before[i].voluntary) / minutes);
        print("preemptions_per_min." + name,
              static_cast<double>(after.nonvoluntary - before[i].nonvoluntary) / minutes);
        print("threads." + name, after.threads);
    }
    printLoad("idle-window-end");

    for (const auto& p : programs) PostMessageA(p->window, WM_CLOSE, 0, 0);
    for (const auto& p : programs) p->process->waitForExit(20000);
    return 0;
}

// Waits until the stand-in has logged as many lines as one whole cycle, and tells whether they are
// exactly the cycle's script. After a cycle that was not, whatever else arrives within half a
// second is dropped, so that one fault is counted once and the next cycle is checked afresh.
class CycleCheck {
public:
    explicit CycleCheck(e2e::StandIn& client) : client_(client) {}
    bool next(int downloads, double timeoutMs) {
        const std::vector<std::string> expected = e2e::completedCycle(downloads);
        waitFor(
            [&] {
                const std::vector<std::string> more = client_.newInput();
                pending_.insert(pending_.end(), more.begin(), more.end());
                return pending_.size() >= expected.size();
            },
            timeoutMs);
        const bool exact = pending_.size() >= expected.size() &&
                           std::equal(expected.begin(), expected.end(), pending_.begin());
        if (exact) {
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(expected.size()));
        } else {
            Sleep(500);
            client_.newInput();
            pending_.clear();
        }
        return exact;
    }

private:
    e2e::StandIn& client_;
    std::vector<std::string> pending_;
};

// The real Windows calls, with the time spent in the cycle's pause taken apart.
class PauseTimedAPIcalls : public trawlix::Win32APIcalls {
public:
    void Sleep(std::uint32_t milliseconds) override {
        const double start = nowMs();
        Win32APIcalls::Sleep(milliseconds);
        pausedMs += nowMs() - start;
    }
    double pausedMs = 0;
};

int cycle(int runs) {
    printLoad("cycle");
    // The stand-in logs the keys and acts on none: what is timed is Trawlix's side alone.
    e2e::StandIn client("--log-only");
    CycleCheck check(client);
    int failures = 0;

    // The cycle's own code with the real Windows calls, in this process: from the due tick to the
    // return after the last key, less the pause.
    for (int downloads : {3, 200}) {
        for (int run = -1; run < runs; ++run) {  // run -1 warms up: the client is maximized by it
            PauseTimedAPIcalls api;
            trawlix::PanelState state;
            state.downloadCount = std::to_string(downloads);
            state.tickCount = 1;
            trawlix::AutomationCycle automation(state, api);
            const double started = nowMs();
            const trawlix::TickResult result = automation.Timer_Timer();
            const double wallMs = nowMs() - started - api.pausedMs;
            if (result != trawlix::TickResult::Completed || !check.next(downloads, 120000)) ++failures;
            if (run >= 0) print("cycle_wall_ms." + std::to_string(downloads), wallMs);
        }
    }

    // Trawlix.exe itself, armed and hidden, driven by posted ticks: the CPU time its own threads
    // spend on one cycle.
    e2e::App app;
    bench::ProcessStats stats(app.processId(), "Trawlix.exe");
    app.setText(ids::interval, "0");
    for (int downloads : {3, 200}) {
        app.setText(ids::numberdl, std::to_string(downloads));
        if (app.visible()) app.click(ids::go);
        else app.command(ids::mnuEnable);  // takes the new number of downloads
        for (int run = -1; run < runs; ++run) {
            const double cpuBefore = stats.threads().cpuMs;
            app.tick();
            if (!check.next(downloads, 120000)) ++failures;
            if (run >= 0) print("cycle_exe_cpu_ms." + std::to_string(downloads), stats.threads().cpuMs - cpuBefore);
        }
    }
    PostMessageA(app.window(), WM_CLOSE, 0, 0);
    app.waitForExit();
    print("cycle_failures", failures);
    return 0;
}

void printCheckpoint(const std::string& label, const bench::ProcessStats& stats, double startedMs) {
    const bench::MemoryFigures memory = stats.memory();
    const bench::ObjectCounts objects = stats.objects();
    std::printf("soak %s rss=%.0f anon=%.0f handles=%lu gdi=%lu user=%lu windows=%d seconds=%.0f load=%s\n",
                label.c_str(), memory.rssKb, memory.anonKb, static_cast<unsigned long>(objects.handles),
                static_cast<unsigned long>(objects.gdi), static_cast<unsigned long>(objects.user), objects.windows,
                (nowMs() - startedMs) / 1000.0, bench::loadAverage().c_str());
    std::fflush(stdout);
}

// The About and restore rounds are checked after the first (what the first use costs), every
// quarter, and at the end.
bool atCheckpoint(int done, int total) { return done == 1 || done == total || done % std::max(1, total / 4) == 0; }

int soak(int cycles, int abouts, int restores) {
    const double started = nowMs();
    // Trawlix reads nothing back from its client but the title in front, so the client need not
    // act on the keys: the stand-in logs them and opens no menu, which keeps a cycle to
    // milliseconds.
    e2e::StandIn client("--log-only");
    CycleCheck check(client);
    e2e::App app(false, e2e::binDir(), "", "TrawlixBench.exe");
    bench::ProcessStats stats(app.processId(), "TrawlixBench.exe");
    if (!app.window() || !stats.found()) {
        std::fprintf(stderr, "TrawlixBench.exe did not start\n");
        return 1;
    }
    app.setText(ids::numberdl, "3");
    app.setText(ids::interval, "0");
    app.click(ids::go);
    waitFor([&] { return !app.visible(); }, 20000);
    printCheckpoint("start", stats, started);

    int wrong = 0;
    const double cpuBefore = stats.threads().cpuMs;
    for (int done = 1; done <= cycles; ++done) {
        app.tick();
        if (!check.next(3, 30000)) {
            ++wrong;
            std::printf("soak-wrong-cycle %d\n", done);
        }
        if (done % 1000 == 0 || done == cycles) printCheckpoint("cycles-" + std::to_string(done), stats, started);
    }
    print("soak_cycles", cycles);
    print("soak_wrong_cycles", wrong);
    print("soak_cpu_ms_per_cycle", (stats.threads().cpuMs - cpuBefore) / cycles);

    const std::string aboutCaption = std::string("About ") + trawlix::kAppTitle;
    int aboutFailures = 0;
    for (int i = 0; i < abouts; ++i) {
        app.command(ids::mnuAbout);
        HWND about = nullptr;
        waitFor(
            [&] { return (about = e2e::findTopLevelWindow(app.processId(), aboutCaption)) && IsWindowVisible(about); },
            20000);
        if (!about) {
            ++aboutFailures;
            continue;
        }
        PostMessageA(GetDlgItem(about, trawlix::about_ids::idCmdOK), BM_CLICK, 0, 0);
        if (!waitFor([&] { return !IsWindow(about); }, 20000)) ++aboutFailures;
        if (atCheckpoint(i + 1, abouts)) printCheckpoint("about-" + std::to_string(i + 1), stats, started);
    }
    print("soak_about_failures", aboutFailures);

    int restoreFailures = 0;
    for (int i = 0; i < restores; ++i) {
        app.trayCallback(515);
        bool ok = waitFor([&] { return app.visible() && !app.iconPresent(); }, 20000);
        SendMessageA(app.window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        ok = waitFor([&] { return !app.visible() && app.iconPresent(); }, 20000) && ok;
        if (!ok) ++restoreFailures;
        if (atCheckpoint(i + 1, restores)) printCheckpoint("restore-" + std::to_string(i + 1), stats, started);
    }
    print("soak_restore_failures", restoreFailures);

    PostMessageA(app.window(), WM_CLOSE, 0, 0);
    print("soak_clean_exit", app.waitForExit() && app.exitCode() == 0);
    print("soak_seconds", (nowMs() - started) / 1000.0);
    return 0;
}

int usage() {
    std::fprintf(stderr, "usage: BenchDriver figures RUNS STARTS SECONDS | cycle RUNS | soak CYCLES ABOUTS RESTORES\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    auto number = [&](int i) { return i < argc ? std::atoi(argv[i]) : 0; };
    if (mode == "figures" && argc == 5) return figures(number(2), number(3), number(4));
    if (mode == "cycle" && argc == 3) return cycle(number(2));
    if (mode == "soak" && argc == 5) return soak(number(2), number(3), number(4));
    return usage();
}
