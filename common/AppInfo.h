// Names and texts that the whole program shares.
#pragma once

namespace trawlix {

// Caption of every message box and the title in the About box.
inline constexpr const char* kAppTitle = "Trawlix 1.10 - By Orvane";
// The main window's title bar.
inline constexpr const char* kWindowTitle = "Trawlix 1.10";
// Application name of the per-user settings.
inline constexpr const char* kAppName = "Trawlix";

}  // namespace trawlix
