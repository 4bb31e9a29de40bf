// Pictures of the main window, a message box over it, the About box and the notification icon's
// popup menu for the README, taken the way a user sees them.
// Usage: screenshots.exe <folder>; writes main-window.bmp, message-box.bmp, about-box.bmp and
// tray-menu.bmp there.
#include <cstdio>
#include <fstream>

#include "E2eSupport.h"
#include "shell/ControlIds.h"

namespace {

// Copies a rectangle of the screen into a 24-bit BMP file.
bool saveRect(const RECT& r, const std::string& path) {
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<std::size_t>(stride) * height, '\0');
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return out.good();
}

bool saveWindow(HWND window, const std::string& path) {
    RECT r;
    GetWindowRect(window, &r);
    return saveRect(r, path);
}

// The icon's popup menu, opened by a right-click with the pointer at that point.
HWND openTrayMenu(const e2e::App& app, int x, int y) {
    SetCursorPos(x, y);
    app.trayCallback(516);
    HWND menu = nullptr;
    e2e::waitUntil([&] { return (menu = e2e::visiblePopupMenu()) != nullptr; });
    return menu;
}

// The corner of the desktop: the icon at the right end of the taskbar with its popup menu open above
// it. Wine keeps a menu that would run off the screen inside it, so a right-click on the icon itself
// would cover the icon: the menu is measured once and opened again with the pointer above the icon,
// where it fits over the taskbar.
bool saveTrayMenu(const e2e::App& app, const std::string& path) {
    SendMessageA(app.window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    if (!e2e::waitUntil([&] { return app.iconPresent(); })) return false;
    RECT taskbar, r;
    GetWindowRect(FindWindowA("Shell_TrayWnd", nullptr), &taskbar);
    const int iconX = taskbar.right - GetSystemMetrics(SM_CXSMICON) / 2 - 2;
    HWND menu = openTrayMenu(app, iconX, (taskbar.top + taskbar.bottom) / 2);
    if (!menu) return false;
    GetWindowRect(menu, &r);
    e2e::pressKeys({VK_ESCAPE});
    e2e::waitUntil([] { return !e2e::visiblePopupMenu(); });
    if (!(menu = openTrayMenu(app, iconX, taskbar.top - (r.bottom - r.top)))) return false;
    Sleep(500);  // let it paint
    GetWindowRect(menu, &r);
    const bool ok = saveRect({taskbar.right - 240, r.top - 24, taskbar.right, taskbar.bottom}, path);
    e2e::pressKeys({VK_ESCAPE});
    return ok;
}

// The message a letter typed into a number box brings, over the main window. Read from the X screen,
// where a box that is not drawn would show as it shows to the user.
bool saveMessageBox(const e2e::App& app, const std::string& path) {
    app.typeChar(trawlix::ids::numberdl, 'a');
    auto box = e2e::waitForMessageBox(app.processId());
    if (!box) return false;
    Sleep(500);  // let it paint
    RECT r;
    GetWindowRect(app.window(), &r);
    const bool ok = e2e::readXScreen(r, path) && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    e2e::dismissMessageBox(box->box);
    e2e::waitUntil([&] { return !IsWindow(box->box); });
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: screenshots <folder>\n");
        return 2;
    }
    const std::string folder = argv[1];
    e2e::App app;
    if (!app.window()) return 1;
    SetForegroundWindow(app.window());
    Sleep(500);  // let it paint
    bool ok = saveWindow(app.window(), folder + "\\main-window.bmp");
    ok = saveMessageBox(app, folder + "\\message-box.bmp") && ok;

    app.command(trawlix::ids::mnuAbout);
    HWND about = nullptr;
    e2e::waitUntil(
        [&] { return (about = e2e::findTopLevelWindow(app.processId(), "About Trawlix 1.10 - By Orvane")); });
    Sleep(500);
    ok = about && saveWindow(about, folder + "\\about-box.bmp") && ok;
    PostMessageA(about, WM_CLOSE, 0, 0);
    ok = saveTrayMenu(app, folder + "\\tray-menu.bmp") && ok;
    app.command(trawlix::ids::mnuExit);
    app.waitForExit();
    return ok ? 0 : 1;
}
