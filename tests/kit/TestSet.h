// One set of the kit (x64 or x86): a folder with Trawlix.exe as shipped and the test programs built
// for the same target, which the runner starts one after the other.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestResults.h"

namespace kit {

struct RunOptions {
    std::wstring resultsFolder;                // where each program writes its XML report
    std::vector<std::wstring> only;            // program names (without .exe) to run; all when empty
    std::vector<std::wstring> gtestArguments;  // --gtest_... options passed to every program
    HANDLE stop = nullptr;                     // set when the user interrupts the run
};

class TestSet {
public:
    TestSet(std::wstring name, std::wstring folder) : name_(std::move(name)), folder_(std::move(folder)) {}
    const std::wstring& name() const { return name_; }

    // The test programs: the unit tests first, then the end-to-end ones, by name.
    std::vector<std::wstring> programs(const RunOptions& options) const;
    // Why this system cannot run the set's programs; empty when it can. Found by having one list its tests.
    std::wstring whyItCannotStart(const RunOptions& options) const;
    // The number of tests the set's programs hold, or -1 if they cannot list them here.
    int testCount(const RunOptions& options) const;
    // Runs every program, printing its output; stops early once options.stop is set.
    Tally run(const RunOptions& options) const;

private:
    std::wstring name_;
    std::wstring folder_;
};

}  // namespace kit
