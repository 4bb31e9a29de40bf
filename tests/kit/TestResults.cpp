#include "TestResults.h"

namespace kit {

Tally& Tally::operator+=(const Tally& other) {
    passed += other.passed;
    failed += other.failed;
    skipped += other.skipped;
    return *this;
}

std::wstring closingLine(const Tally& tally) {
    std::wstring line = std::to_wstring(tally.passed) + L" passed, " + std::to_wstring(tally.failed) + L" failed";
    if (tally.skipped > 0) line += L", " + std::to_wstring(tally.skipped) + L" skipped";
    return line;
}

Tally tallyOfReport(const std::string& xml) {
    Tally tally;
    for (std::size_t start = xml.find("<testcase "); start != std::string::npos;
         start = xml.find("<testcase ", start + 1)) {
        const std::size_t tagEnd = xml.find('>', start);
        if (tagEnd == std::string::npos) break;
        // <testcase .../> has no children; otherwise they run up to </testcase>.
        std::size_t end = tagEnd;
        if (xml[tagEnd - 1] != '/') {
            end = xml.find("</testcase>", tagEnd);
            if (end == std::string::npos) end = xml.size();
        }
        const std::string element = xml.substr(start, end - start);
        if (element.find("<failure") != std::string::npos) ++tally.failed;
        else if (element.find("result=\"skipped\"") != std::string::npos ||
                 element.find("<skipped") != std::string::npos ||
                 element.find("status=\"notrun\"") != std::string::npos)
            ++tally.skipped;
        else ++tally.passed;
    }
    return tally;
}

int listedTestCount(const std::string& listing) {
    int count = 0;
    std::size_t lineStart = 0;
    while (lineStart < listing.size()) {
        std::size_t lineEnd = listing.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = listing.size();
        if (listing.compare(lineStart, 2, "  ") == 0 && lineEnd > lineStart + 2) ++count;
        lineStart = lineEnd + 1;
    }
    return count;
}

std::wstring whyListingShowsNoRun(const std::wstring& program, unsigned long exitCode, const std::string& listing) {
    const std::wstring listed = program + L".exe --gtest_list_tests";
    if (exitCode != 0)
        return L"its programs do not run here: " + listed + L" ended with exit code " + std::to_wstring(exitCode);
    if (listedTestCount(listing) == 0) return L"its programs run no test here: " + listed + L" listed none";
    return L"";
}

}  // namespace kit
