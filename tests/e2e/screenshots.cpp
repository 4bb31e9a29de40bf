// Pictures of the main window and the About box for the README, taken the way a user sees them.
// Usage: screenshots.exe <folder>; writes main-window.bmp and about-box.bmp there.
#include <cstdio>
#include <fstream>

#include "E2eSupport.h"
#include "shell/ControlIds.h"

namespace {

// Copies the window's rectangle of the screen into a 24-bit BMP file.
bool saveWindow(HWND window, const std::string& path) {
    RECT r;
    GetWindowRect(window, &r);
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

    app.command(trawlix::ids::mnuAbout);
    HWND about = nullptr;
    e2e::waitUntil([&] { return (about = e2e::findTopLevelWindow(app.processId(), "About Trawlix 1.10 - By Orvane")); });
    Sleep(500);
    ok = about && saveWindow(about, folder + "\\about-box.bmp") && ok;
    app.click(trawlix::ids::Command1);
    app.waitForExit();
    return ok ? 0 : 1;
}
