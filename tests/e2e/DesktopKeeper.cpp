// Holds Wine's desktop for a whole test run under emulation. Wine brings its desktop (with the
// taskbar and its notification area) up for the first program that needs one, and ends it a
// second after the last such program; under emulation that start takes a minute, and a program
// that comes meanwhile starts a second desktop process, which breaks both. Started once before the
// tests, this program brings the desktop up alone, says so, and stays until the environment ends.
#include <windows.h>

#include <cstdio>

int main() {
    GetDesktopWindow();
    while (!FindWindowA("Shell_TrayWnd", nullptr)) Sleep(200);
    std::puts("desktop ready");
    std::fflush(stdout);
    Sleep(INFINITE);
}
