#include "TestSet.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "RunnerOutput.h"

namespace kit {

namespace {

// An end-to-end program that hangs is ended after this long and counts as failed.
constexpr DWORD kProgramTimeoutMs = 30 * 60 * 1000;

std::wstring quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

bool endsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

struct Finished {
    bool started = false;
    DWORD error = 0;  // why it did not start
    DWORD exitCode = 0;
    bool timedOut = false;
    bool stopped = false;
    std::string output;  // when captured
};

// Runs a program in its folder and waits for it. Its output goes to the runner's own, or is
// captured. Everything it starts is in a job, ended with it: a test's leftover windows would
// disturb the next program.
Finished runProgram(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder, bool capture,
                    HANDLE stop, DWORD timeoutMs) {
    Finished finished;
    std::wstring commandLine = quoted(exe) + L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (capture) {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        CreatePipe(&readEnd, &writeEnd, &inheritable, 0);
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, capture, CREATE_SUSPENDED, nullptr,
                        folder.c_str(), &startup, &process)) {
        finished.error = GetLastError();
        if (capture) {
            CloseHandle(readEnd);
            CloseHandle(writeEnd);
        }
        return finished;
    }
    finished.started = true;
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    AssignProcessToJobObject(job, process.hProcess);  // may fail on an old Windows; the sweep at the end remains
    ResumeThread(process.hThread);
    if (capture) {
        CloseHandle(writeEnd);
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
            finished.output.append(buffer, read);
        CloseHandle(readEnd);
    }
    const HANDLE waitFor[] = {process.hProcess, stop};
    const DWORD waited = WaitForMultipleObjects(stop ? 2 : 1, waitFor, FALSE, timeoutMs);
    finished.stopped = waited == WAIT_OBJECT_0 + 1;
    finished.timedOut = waited == WAIT_TIMEOUT;
    TerminateJobObject(job, 1);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
    }
    GetExitCodeProcess(process.hProcess, &finished.exitCode);
    CloseHandle(job);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return finished;
}

std::string fileContents(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<std::wstring> TestSet::programs(const RunOptions& options) const {
    std::vector<std::wstring> unit, endToEnd;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder_ + L"\\*.exe").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    do {
        std::wstring name = found.cFileName;
        name.resize(name.size() - 4);
        if (!options.only.empty() && std::find(options.only.begin(), options.only.end(), name) == options.only.end())
            continue;
        if (endsWith(name, L"_tests")) unit.push_back(name);
        if (endsWith(name, L"_e2e")) endToEnd.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(unit.begin(), unit.end());
    std::sort(endToEnd.begin(), endToEnd.end());
    unit.insert(unit.end(), endToEnd.begin(), endToEnd.end());
    return unit;
}

std::wstring TestSet::whyItCannotStart(const RunOptions& options) const {
    const auto names = programs(options);
    if (names.empty()) return L"it holds no test program";
    const std::wstring exe = folder_ + L"\\" + names.front() + L".exe";
    const Finished listed = runProgram(exe, L"--gtest_list_tests", folder_, true, nullptr, 60000);
    if (!listed.started)
        return L"this Windows cannot start its programs: " + names.front() + L".exe gives " + errorText(listed.error);
    return whyListingShowsNoRun(names.front(), listed.exitCode, listed.output);
}

int TestSet::testCount(const RunOptions& options) const {
    int count = 0;
    for (const auto& name : programs(options)) {
        const Finished listed = runProgram(folder_ + L"\\" + name + L".exe", L"--gtest_list_tests", folder_, true,
                                           nullptr, 60000);
        if (!listed.started || listed.exitCode != 0) return -1;
        count += listedTestCount(listed.output);
    }
    return count > 0 ? count : -1;
}

Tally TestSet::run(const RunOptions& options) const {
    Tally tally;
    std::wstring passOn;
    for (const auto& argument : options.gtestArguments) passOn += L" " + quoted(argument);
    for (const auto& name : programs(options)) {
        const std::wstring report = options.resultsFolder + L"\\" + name + L"-" + name_ + L".xml";
        DeleteFileW(report.c_str());
        say(L"");
        say(name_ + L": " + name + L".exe");
        // The runner's console is in front: it hands the front on, so that the tests' programs may
        // take it as they would on an idle desktop.
        AllowSetForegroundWindow(ASFW_ANY);
        const Finished finished = runProgram(folder_ + L"\\" + name + L".exe",
                                             quoted(L"--gtest_output=xml:" + report) + passOn, folder_, false,
                                             options.stop, kProgramTimeoutMs);
        if (finished.stopped) break;
        Tally found = tallyOfReport(fileContents(report));
        // A program that crashed, hung or failed outside its tests has one failure more.
        std::wstring problem;
        if (!finished.started) problem = L"could not start: " + errorText(finished.error);
        else if (finished.timedOut)
            problem = L"still running after " + std::to_wstring(kProgramTimeoutMs / 60000) + L" minutes; ended";
        else if (finished.exitCode != 0 && found.failed == 0)
            problem = L"ended with exit code " + std::to_wstring(finished.exitCode) +
                      L" and no failed test in its report";
        if (!problem.empty()) {
            say(name_ + L": " + name + L".exe " + problem);
            ++found.failed;
        }
        tally += found;
    }
    return tally;
}

}  // namespace kit
