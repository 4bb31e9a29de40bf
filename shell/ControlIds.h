// Child-window and menu identifiers of the main window. The end-to-end tests find controls by them.
#pragma once

namespace trawlix::ids {

enum Control : int {
    numberdl = 101,
    interval = 102,
    timeunits = 103,
    go = 104,
    stops = 105,
    Command1 = 106,
    Label1 = 111,
    Label2 = 112,
    Label3 = 113,
    Label4 = 114,
};

enum Menu : int {
    mnusave = 201,
    mnuAbout = 202,
    mnuDonate = 203,
    mnuShow = 211,
    mnuEnable = 212,
    mnuDisable = 213,
    mnuExit = 214,
};

// Tries the notification icon again while the notification area is missing.
inline constexpr unsigned TrayRetry = 2;
inline constexpr unsigned TrayRetryIntervalMs = 1000;

}  // namespace trawlix::ids
