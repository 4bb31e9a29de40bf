// The About box's texts and its link opener.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FakeDesktop.h"
#include "about/AboutTexts.h"
#include "common/ProgramFolder.h"

namespace trawlix {
namespace {

using test::FakeDesktop;

// ---- Links: the shortcut files beside the executable, opened through the shell ----

TEST(AboutLinks, OpensTheFileInTheProgramFolderWithTheFolderAsDirectory) {
    FakeDesktop desktop;
    desktop.appPath = "D:\\Tools\\Net";
    openLink(desktop, 0x2A0, kDonateFile);
    ASSERT_EQ(desktop.events.size(), 1u);
    EXPECT_EQ(desktop.events[0],
              "open owner=672 op=open file=D:\\Tools\\Net\\Donate.url params= dir=D:\\Tools\\Net show=5");
}

TEST(AboutLinks, EachLinkHasItsOwnFileAndKeepsTheOwner) {
    struct Case {
        const char* file;
        WindowHandle owner;
        const char* expected;
    };
    // The About box's window for its own buttons and labels, the main window for its Donate menu item.
    const Case cases[] = {
        {kDonateFile, 0x310, "open owner=784 op=open file=C:\\T\\Donate.url params= dir=C:\\T show=5"},
        {kEmailMeFile, 0x310, "open owner=784 op=open file=C:\\T\\EmailMe.url params= dir=C:\\T show=5"},
        {kHomePageFile, 0x310, "open owner=784 op=open file=C:\\T\\HomePage.url params= dir=C:\\T show=5"},
        {kDonateFile, 0x104, "open owner=260 op=open file=C:\\T\\Donate.url params= dir=C:\\T show=5"},
    };
    for (const Case& c : cases) {
        FakeDesktop desktop;
        desktop.appPath = "C:\\T";
        openLink(desktop, c.owner, c.file);
        EXPECT_EQ(desktop.events, std::vector<std::string>{c.expected}) << c.file;
    }
}

TEST(AboutLinks, ProgramAtADriveRootKeepsTheRootInItsFolder) {
    // "E:" alone would name drive E's current directory: the root keeps its backslash, and the
    // file name adds another.
    FakeDesktop desktop;
    desktop.appPath = programFolderOf("E:\\Trawlix.exe");
    openLink(desktop, 5, kHomePageFile);
    EXPECT_EQ(desktop.events,
              std::vector<std::string>{"open owner=5 op=open file=E:\\\\HomePage.url params= dir=E:\\ show=5"});

    EXPECT_EQ(programFolderOf("D:\\Tools\\Net\\Trawlix.exe"), "D:\\Tools\\Net");
    EXPECT_EQ(programFolderOf("\\\\server\\share\\Trawlix.exe"), "\\\\server\\share");
    const std::string deep = "C:\\" + std::string(300, 'd');  // longer than MAX_PATH
    EXPECT_EQ(programFolderOf(deep + "\\Trawlix.exe"), deep);
}

// ---- Texts ----

TEST(AboutTexts, FeatureListIsTheTitleAndFiveItemsSeparatedByCountedBlanks) {
    const std::string text = featureList();
    EXPECT_EQ(text.size(), 665u);
    EXPECT_EQ(text.find_first_of("\r\n\t"), std::string::npos) << "the label wraps the text by itself";

    // Walk the pieces in order: words (with their opening) or a run of exactly so many blanks.
    struct Piece {
        std::size_t length;
        const char* opening;  // nullptr: blanks
    };
    const Piece pieces[] = {{12, "Key Features"},
                            {81, nullptr},
                            {68, "1. Auto find"},
                            {86, nullptr},
                            {86, "2. Auto window"},
                            {65, nullptr},
                            {56, "3. Save"},
                            {14, nullptr},
                            {64, "4. Minimizes"},
                            {2, nullptr},
                            {131, "5. Absolutely free!"}};
    std::size_t at = 0;
    for (const Piece& piece : pieces) {
        ASSERT_LE(at + piece.length, text.size()) << "piece at " << at;
        const std::string part = text.substr(at, piece.length);
        if (piece.opening) {
            EXPECT_EQ(part.rfind(piece.opening, 0), 0u) << "at " << at << ": " << part;
            EXPECT_NE(part.back(), ' ') << "at " << at;
            EXPECT_EQ(part.find("  "), std::string::npos) << "at " << at;
        } else {
            EXPECT_EQ(part, std::string(piece.length, ' ')) << "at " << at;
        }
        at += piece.length;
    }
    EXPECT_EQ(at, text.size());
    // The item 1 wording is kept as the program has always shown it.
    EXPECT_NE(text.find("resume, an clear downloaded and erroneous"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 21), "encourage the author!");
}

TEST(AboutTexts, FeatureListDrawsAsTitleAndOneLinePerItem) {
    const std::vector<std::string> lines = splitAtBlankRuns(featureList());
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Key Features");
    for (int item = 1; item <= 5; ++item)
        EXPECT_EQ(lines[item].rfind(std::to_string(item) + ". ", 0), 0u) << lines[item];
}

TEST(AboutTexts, SplitAtBlankRunsKeepsSingleBlanksAndDropsEmptyParts) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ(splitAtBlankRuns(""), Lines{});
    EXPECT_EQ(splitAtBlankRuns("   "), Lines{});
    EXPECT_EQ(splitAtBlankRuns(" a b "), Lines{" a b "});
    EXPECT_EQ(splitAtBlankRuns("a  b"), (Lines{"a", "b"}));
    EXPECT_EQ(splitAtBlankRuns("  a   b c  "), (Lines{"a", "b c"}));
}

TEST(AboutTexts, ContactNoteNamesTheAddressesAtTheirPlaces) {
    const std::string text = contactNote();
    const std::string lead = std::string("You can contact the author at ") + kAuthorEmail;
    const std::string tail = std::string("please visit ") + kAuthorWebSite;
    EXPECT_EQ(text.size(), lead.size() + 9 + 188 + std::strlen(kAuthorWebSite));
    EXPECT_EQ(text.rfind(lead, 0), 0u);
    EXPECT_EQ(text.substr(lead.size(), 10), std::string(9, ' ') + "P");
    EXPECT_EQ(text.compare(lead.size() + 9, 26, "Please report any problems"), 0);
    EXPECT_NE(text.find("the author's email box! For updates to Trawlix"), std::string::npos);
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.compare(text.size() - tail.size(), tail.size(), tail), 0) << text;
    EXPECT_EQ(text.find("  ", lead.size() + 9), std::string::npos) << "one run of blanks only";
}

TEST(AboutTexts, AddressesAreSingleWords) {
    // The labels wrap at blanks; an address must never be split across lines.
    for (const char* address : {kAuthorEmail, kAuthorWebSite}) {
        EXPECT_NE(std::strlen(address), 0u);
        EXPECT_EQ(std::strchr(address, ' '), nullptr) << address;
    }
}

}  // namespace
}  // namespace trawlix
