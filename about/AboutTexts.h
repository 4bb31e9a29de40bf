// The About box's texts and the link opener for the shortcut files beside the executable.
#pragma once

#include <string>
#include <vector>

#include "APIcalls/APIcalls.h"
#include "TrawlixRelease.h"

namespace trawlix {

inline constexpr const char* kDonateFile = "\\Donate.url";
inline constexpr const char* kEmailMeFile = "\\EmailMe.url";
inline constexpr const char* kHomePageFile = "\\HomePage.url";

// Where the author can be reached; the shortcut files beside the executable point to the same places
// (both set for a release in CMakeLists.txt).
inline constexpr const char* kAuthorEmail = TRAWLIX_AUTHOR_EMAIL;
inline constexpr const char* kAuthorWebSite = TRAWLIX_AUTHOR_WEBSITE;

// The "Key Features" text. The runs of blanks push each numbered item onto a new line of the label.
std::string featureList();
// The parts of a text between its runs of two or more blanks (none empty), for starting each on a
// line of its own whatever the font makes of the blanks.
std::vector<std::string> splitAtBlankRuns(const std::string& text);
// The note under the separator: how to reach the author and where the updates are.
std::string contactNote();

// Opens <program folder><file> through the shell with the given owner window; the result is not
// examined, so a missing file changes nothing.
void openLink(APIcalls& api, WindowHandle owner, const std::string& file);

}  // namespace trawlix
