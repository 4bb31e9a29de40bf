// The notification-area icon's record, filled once at start-up and passed unchanged to the shell.
#pragma once

#include <cstdint>

#include "APIcalls/APIcalls.h"

namespace trawlix {

inline constexpr std::uint32_t kTrayCallbackMessage = 512;  // WM_MOUSEMOVE
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr int kTrayDoubleClick = 515;      // WM_LBUTTONDBLCLK
inline constexpr int kTrayRightButtonDown = 516;  // WM_RBUTTONDOWN

// Process-wide, as the shell knows the icon by this one record.
extern TrayIconRecord trayIcon;

TrayIconRecord makeTrayIconRecord(std::uint32_t window, std::uint32_t icon);

// Adds the icon; true when the notification area shows it afterwards. The shell refuses to add an
// icon that it shows already (the Enable button adds twice), and at sign-in it refuses while its
// notification area does not exist yet. A modify with the same record changes nothing and succeeds
// exactly when the icon is there, so it tells the two refusals apart.
bool addTrayIcon(APIcalls& api);

}  // namespace trawlix
