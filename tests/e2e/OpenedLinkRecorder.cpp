// Opens Internet shortcuts in place of the browser while the About box's link test runs: appends
// the path it is given, as one line, to the log it is given, and ends. A windowless program, so
// that an open starts no console beside it (a second program, a minute more under emulation).
//   OpenedLinkRecorder.exe LOG PATH
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) return 2;
    HANDLE log = CreateFileA(__argv[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL wrote = WriteFile(log, __argv[2], static_cast<DWORD>(std::strlen(__argv[2])), &written, nullptr) &&
                       WriteFile(log, "\r\n", 2, &written, nullptr);
    CloseHandle(log);
    return wrote ? 0 : 1;
}
