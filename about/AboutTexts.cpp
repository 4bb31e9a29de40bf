#include "AboutTexts.h"

namespace trawlix {

namespace {
std::string blanks(std::size_t count) { return std::string(count, ' '); }
}  // namespace

std::string featureList() {
    return "Key Features" + blanks(81) +
           "1. Auto find more sources, resume, an clear downloaded and erroneous" + blanks(86) +
           "2. Auto window maximization and checking to ensure stability and correct functionality" + blanks(65) +
           "3. Save configurations from last session for convenience" + blanks(14) +
           "4. Minimizes into the systray, ready for operation by popup menu" + blanks(2) +
           "5. Absolutely free! However, if you enjoy the program, please click on donate and keep the updates "
           "coming and encourage the author!";
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
