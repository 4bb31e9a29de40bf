#include "AboutTexts.h"

namespace trawlix {

namespace {
std::string blanks(std::size_t count) { return std::string(count, ' '); }
}  // namespace

std::string featureList() {
    // Laid out by hand: one item a line, with the blanks that follow it.
    // clang-format off
    return "Key Features" + blanks(81) +
           "1. Auto find more sources, resume, an clear downloaded and erroneous" + blanks(86) +
           "2. Auto window maximization and checking to ensure stability and correct functionality" + blanks(65) +
           "3. Save configurations from last session for convenience" + blanks(14) +
           "4. Minimizes into the systray, ready for operation by popup menu" + blanks(2) +
           "5. Absolutely free! However, if you enjoy the program, please click on donate and keep the updates "
           "coming and encourage the author!";
    // clang-format on
}

std::vector<std::string> splitAtBlankRuns(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t run = text.find("  ", start);
        if (run == std::string::npos) run = text.size();
        if (run > start) parts.push_back(text.substr(start, run - start));
        start = text.find_first_not_of(' ', run);
        if (start == std::string::npos) break;
    }
    return parts;
}

std::string contactNote() {
    return std::string("You can contact the author at ") + kAuthorEmail + blanks(9) +
           "Please report any problems or bugs that you experience with this program, also, if you enjoy the "
           "program, please drop a line at the author's email box! For updates to Trawlix please visit " +
           kAuthorWebSite;
}

void openLink(APIcalls& api, WindowHandle owner, const std::string& file) {
    const std::string folder = api.AppPath();
    api.ShellExecuteA(owner, "open", folder + file, "", folder, SW_SHOW_CMD);
}

}  // namespace trawlix
