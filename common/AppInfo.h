// Names and texts that the whole program shares.
#pragma once

#include "TrawlixRelease.h"

namespace trawlix {

// Caption of every message box and the title in the About box.
inline constexpr const char* kAppTitle = "Trawlix " TRAWLIX_VERSION_TEXT " - By Orvane";
// The main window's title bar.
inline constexpr const char* kWindowTitle = "Trawlix " TRAWLIX_VERSION_TEXT;
// Application name of the per-user settings.
inline constexpr const char* kAppName = "Trawlix";

}  // namespace trawlix
