// The messages tables of README.md and of the user's README.txt hold every message the program
// shows, word for word as the code defines it, and nothing else; and every message box of the
// sources shows one of those texts. Native only: it reads the source tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "automation/AutomationCycle.h"
#include "panel/Arming.h"
#include "panel/DigitFilter.h"
#include "panel/SingleCopy.h"

namespace {

const std::filesystem::path kSourceDir = TRAWLIX_SOURCE_DIR;

// Each message by the name the code shows it through.
const std::map<std::string, std::string>& messages() {
    static const std::map<std::string, std::string> all = {
        {"kDigitsOnlyMessage", trawlix::kDigitsOnlyMessage},
        {"kUnitRefusedMessage", trawlix::kUnitRefusedMessage},
        {"kIntervalRefusedMessage", trawlix::kIntervalRefusedMessage},
        {"kClientMissingMessage", trawlix::kClientMissingMessage},
        {"kClientElevatedMessage", trawlix::kClientElevatedMessage},
        {"kTrawlixElevatedMessage", trawlix::kTrawlixElevatedMessage},
    };
    return all;
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The quoted texts that open a line (README.txt) or a table row (README.md) between the section's
// heading and the next heading of that file.
std::multiset<std::string> tableMessages(const std::filesystem::path& file, const std::string& heading,
                                         const std::regex& nextHeading) {
    std::istringstream in(fileText(file));
    std::multiset<std::string> found;
    bool inSection = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(heading, 0) == 0) {
            inSection = true;
            continue;
        }
        if (inSection && std::regex_search(line, nextHeading)) break;
        std::smatch quoted;
        if (inSection && std::regex_search(line, quoted, std::regex(R"re(^(\| )?"([^"]*)")re")))
            found.insert(quoted[2]);
    }
    return found;
}

std::multiset<std::string> programMessages() {
    std::multiset<std::string> texts;
    for (const auto& [name, text] : messages()) texts.insert(text);
    return texts;
}

TEST(MessagesTable, ReadmeListsEachMessageWordForWord) {
    EXPECT_EQ(tableMessages(kSourceDir / "README.md", "## Messages", std::regex("^## ")), programMessages());
}

TEST(MessagesTable, UsersReadmeListsEachMessageWordForWord) {
    EXPECT_EQ(tableMessages(kSourceDir / "package/README.txt", "MESSAGES", std::regex("^[A-Z]")), programMessages());
}

// A message box added with a text of its own would be missing from both tables.
TEST(MessagesTable, EveryMessageBoxShowsAListedMessage) {
    std::set<std::string> shown, listed;
    for (const auto& [name, text] : messages()) listed.insert(name);
    const std::regex box(R"(MsgBox\(\s*([^)]*)\))");
    for (const char* folder : {"panel", "automation", "about", "common", "shell"}) {
        for (const auto& entry : std::filesystem::directory_iterator(kSourceDir / folder)) {
            const std::string text = fileText(entry.path());
            for (std::sregex_iterator it(text.begin(), text.end(), box), end; it != end; ++it) {
                const std::string argument = (*it)[1];
                if (argument.find("const std::string&") != std::string::npos) continue;  // its declaration
                shown.insert(argument);
            }
        }
    }
    EXPECT_EQ(shown, listed);
}

}  // namespace
