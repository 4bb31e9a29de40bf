// The test kit's counting: what a set's programs listed and reported comes to, and when a set that
// "ran" must be reported as not run instead.
#include <gtest/gtest.h>

#include <string>

#include "tests/kit/TestResults.h"

namespace kit {
namespace {

TEST(KitSetVerdict, ASetThatListsNoTestIsNotRunWhateverItsExitCode) {
    // A 32-bit program where Wine has no 32-bit side: exit code 0 and not a line printed.
    EXPECT_EQ(whyListingShowsNoRun(L"install_e2e", 0, ""),
              L"its programs run no test here: install_e2e.exe --gtest_list_tests listed none");
    // Suites with no test beneath them, or a stray line of Wine's, still list none.
    EXPECT_NE(whyListingShowsNoRun(L"install_e2e", 0, "Installer.\r\nwine: using fallback\r\n"), L"");
    EXPECT_EQ(whyListingShowsNoRun(L"about_e2e", 0xC0000135, "  AboutBox.Opens\n"),
              L"its programs do not run here: about_e2e.exe --gtest_list_tests ended with exit code 3221225781");
}

TEST(KitSetVerdict, ASetThatListsATestRuns) {
    EXPECT_EQ(whyListingShowsNoRun(L"install_e2e", 0, "Installer.\r\n  SilentInstall\r\n  Closes\r\n"), L"");
    EXPECT_EQ(listedTestCount("Installer.\r\n  SilentInstall\r\n  Closes\r\nTestKit.\n  Run\n"), 3);
}

TEST(KitSetVerdict, ReportsAreCountedByOutcomeAndAnEmptyOneCountsNothing) {
    const Tally tally = tallyOfReport(
        "<testsuites><testsuite name=\"A\">"
        "<testcase name=\"p\" status=\"run\" result=\"completed\"/>"
        "<testcase name=\"f\" status=\"run\"><failure message=\"x\"/></testcase>"
        "<testcase name=\"s\" status=\"run\" result=\"skipped\"><skipped/></testcase>"
        "<testcase name=\"d\" status=\"notrun\"/>"
        "</testsuite></testsuites>");
    EXPECT_EQ(tally.passed, 1);
    EXPECT_EQ(tally.failed, 1);
    EXPECT_EQ(tally.skipped, 2);
    EXPECT_EQ(closingLine(tally), L"1 passed, 1 failed, 2 skipped");
    // No report at all (a program that wrote none) counts no test: the runner reports the set as
    // not run rather than "0 passed, 0 failed".
    EXPECT_EQ(tallyOfReport("").total(), 0);
}

}  // namespace
}  // namespace kit
