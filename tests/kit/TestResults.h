// Counting what the test programs report.
#pragma once

#include <string>

namespace kit {

struct Tally {
    int passed = 0;
    int failed = 0;
    int skipped = 0;
    Tally& operator+=(const Tally& other);
    int total() const { return passed + failed + skipped; }
};

// "N passed, N failed", with ", N skipped" when any test was skipped.
std::wstring closingLine(const Tally& tally);

// The test cases in GoogleTest's XML report (--gtest_output=xml): a case with a failure failed, a
// skipped or disabled one was skipped, every other one passed.
Tally tallyOfReport(const std::string& xml);

// The number of tests that --gtest_list_tests prints (indented lines; suites end in a dot).
int listedTestCount(const std::string& listing);

// Why a set's programs cannot run here, judged by what its first program did with --gtest_list_tests
// (its exit code and output); empty when it listed a test. An exit code alone proves nothing: a
// 32-bit program where Wine has no 32-bit side "starts", prints nothing and ends with 0.
std::wstring whyListingShowsNoRun(const std::wstring& program, unsigned long exitCode, const std::string& listing);

}  // namespace kit
