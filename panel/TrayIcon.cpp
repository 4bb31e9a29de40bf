#include "TrayIcon.h"

#include <cstring>

namespace trawlix {

TrayIconRecord trayIcon;

TrayIconRecord makeTrayIconRecord(std::uint32_t window, std::uint32_t icon) {
    TrayIconRecord record;
    record.cbSize = sizeof(TrayIconRecord);
    record.hIcon = icon;
    record.hWnd = window;
    // "Trawlix", a NUL the shell stops at, then blanks to the end of the field.
    std::memset(record.szTip, ' ', sizeof record.szTip);
    std::memcpy(record.szTip, "Trawlix", 8);
    record.uCallbackMessage = kTrayCallbackMessage;
    record.uFlags = 1 | 2 | 4;  // NIF_MESSAGE | NIF_ICON | NIF_TIP
    record.uID = kTrayIconId;
    return record;
}

bool addTrayIcon(APIcalls& api) {
    return api.Shell_NotifyIconA(NIM_ADD_CODE, trayIcon) || api.Shell_NotifyIconA(NIM_MODIFY_CODE, trayIcon);
}

}  // namespace trawlix
