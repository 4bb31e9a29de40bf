// The About box as a user opens, uses and closes it from the main window.
#include <gtest/gtest.h>

#include <fstream>

#include "E2eSupport.h"
#include "shell/AboutControlIds.h"
#include "shell/AboutWindow.h"
#include "shell/Win32APIcalls.h"
#include "shell/ControlIds.h"

namespace ids = trawlix::ids;
namespace about = trawlix::about_ids;

namespace {

const std::string kAboutCaption = "About Trawlix 1.10 - By Orvane";

int aboutWindows(const e2e::App& app) {
    struct Count {
        DWORD processId;
        int found;
        static BOOL CALLBACK visit(HWND window, LPARAM lParam) {
            auto* count = reinterpret_cast<Count*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            char title[128] = "";
            GetWindowTextA(window, title, sizeof title);
            if (owner == count->processId && IsWindowVisible(window) && kAboutCaption == title) ++count->found;
            return TRUE;
        }
    } count{app.processId(), 0};
    EnumWindows(Count::visit, reinterpret_cast<LPARAM>(&count));
    return count.found;
}

HWND openAbout(const e2e::App& app) {
    app.command(ids::mnuAbout);
    HWND about = nullptr;
    e2e::waitUntil([&] {
        about = e2e::findTopLevelWindow(app.processId(), kAboutCaption);
        return about && IsWindowVisible(about);
    });
    return about;
}

// A click on a label or button of the box, as its notification reaches the box.
void clickInAbout(HWND about, int id) {
    PostMessageA(about, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(about, id)));
}

TEST(AboutBox, OpensFromTheMenuWithItsTitlesAndOnlyOnce) {
    e2e::App app;
    HWND about = openAbout(app);
    ASSERT_TRUE(about);
    EXPECT_EQ(e2e::windowText(GetDlgItem(about, about::idLblTitle)), "Trawlix 1.10 - By Orvane");
    EXPECT_EQ(e2e::windowText(GetDlgItem(about, about::idLabel2)), "here");
    EXPECT_EQ(e2e::windowText(GetDlgItem(about, about::idLabel1)).size(), 665u);
    EXPECT_EQ(GetForegroundWindow(), about);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(about, nullptr), &info);
    EXPECT_EQ(info.hwndFocus, GetDlgItem(about, about::idCmdOK));
    RECT client;
    GetClientRect(about, &client);
    EXPECT_EQ(client.right, 382);
    EXPECT_EQ(client.bottom, 272);

    EXPECT_EQ(openAbout(app), about);
    EXPECT_EQ(aboutWindows(app), 1);
}

TEST(AboutBox, CarriesTheProgramIconBigAndSmall) {
    // Opened in this process, whose resources hold the program's icon: a window's icons cannot be
    // read from another process under Wine.
    trawlix::Win32APIcalls api;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const HICON icon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    ASSERT_TRUE(icon);
    trawlix::frmAbout::Show(instance, icon, api);
    HWND about = FindWindowA("TrawlixAbout", nullptr);
    ASSERT_TRUE(about);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(about, WM_GETICON, ICON_BIG, 0)), icon);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(about, GCLP_HICON)), icon);
    const auto small = reinterpret_cast<HICON>(SendMessageA(about, WM_GETICON, ICON_SMALL, 0));
    EXPECT_TRUE(small);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(about, GCLP_HICONSM)), small);
    trawlix::frmAbout::Unload();
    EXPECT_FALSE(IsWindow(about));
}

TEST(AboutBox, OkClosesItAndTheNextOneIsLoadedAfresh) {
    e2e::App app;
    HWND first = openAbout(app);
    ASSERT_TRUE(first);
    PostMessageA(GetDlgItem(first, about::idCmdOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(e2e::waitUntil([&] { return !IsWindow(first); }));
    HWND second = openAbout(app);
    ASSERT_TRUE(second);
    EXPECT_EQ(e2e::windowText(GetDlgItem(second, about::idLblTitle)), "Trawlix 1.10 - By Orvane");
    EXPECT_EQ(aboutWindows(app), 1);
}

// Points the shell's "open" of Internet shortcuts at a program that writes the opened file's path
// to a log, for as long as it lives.
class ShortcutOpenRecorder {
public:
    ShortcutOpenRecorder() : log_(e2e::binDir() + "\\opened-links.log") {
        DeleteFileA(log_.c_str());
        char previous[1024] = "";
        DWORD size = sizeof previous;
        if (RegGetValueA(HKEY_CLASSES_ROOT, kCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, previous, &size) ==
            ERROR_SUCCESS)
            previous_ = previous;
        set("\"" + e2e::binDir() + "\\OpenedLinkRecorder.exe\" \"" + log_ + "\" \"%1\"");
    }
    ~ShortcutOpenRecorder() { set(previous_); }

    // The files opened so far, waiting until there are `count` of them: each open starts the
    // recorder, a new process, which takes a minute under emulation.
    std::vector<std::string> opened(std::size_t count) const {
        std::vector<std::string> lines;
        e2e::waitUntil(
            [&] {
                lines.clear();
                std::ifstream file(log_);
                for (std::string line; std::getline(file, line);) {
                    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
                    lines.push_back(line);
                }
                return lines.size() >= count;
            },
            30000);
        return lines;
    }

private:
    static constexpr const char* kCommandKey = "InternetShortcut\\shell\\open\\command";
    void set(const std::string& command) const {
        RegSetKeyValueA(HKEY_CLASSES_ROOT, kCommandKey, nullptr, REG_SZ, command.c_str(),
                        static_cast<DWORD>(command.size() + 1));
    }
    std::string log_;
    std::string previous_;
};

TEST(AboutBox, EachLinkOpensItsShortcutBesideTheProgram) {
    ShortcutOpenRecorder recorder;
    e2e::App app;
    HWND about = openAbout(app);
    ASSERT_TRUE(about);
    const std::string folder = e2e::programDir();
    std::vector<std::string> expected;
    auto opens = [&](auto click, const char* file) {
        click();
        expected.push_back(folder + file);
        EXPECT_EQ(recorder.opened(expected.size()), expected);
    };
    opens([&] { clickInAbout(about, about::idLabel3); }, "\\HomePage.url");
    opens([&] { clickInAbout(about, about::idLabel2); }, "\\EmailMe.url");
    opens([&] { clickInAbout(about, about::idCmdEmailme); }, "\\EmailMe.url");
    opens([&] { clickInAbout(about, about::idCommand1); }, "\\Donate.url");
    opens([&] { app.command(ids::mnuDonate); }, "\\Donate.url");
    EXPECT_TRUE(IsWindowVisible(about));
}

TEST(AboutBox, LinksWithMissingFilesChangeNothing) {
    // A copy of the program in a folder without its shortcut files.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "trawlix-without-links";
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA((e2e::programDir() + "\\Trawlix.exe").c_str(), (folder + "\\Trawlix.exe").c_str(), FALSE));

    e2e::App app(false, folder);
    HWND about = openAbout(app);
    ASSERT_TRUE(about);
    for (int id : {about::idLabel3, about::idLabel2, about::idCmdEmailme, about::idCommand1}) clickInAbout(about, id);
    app.command(ids::mnuDonate);
    EXPECT_FALSE(e2e::waitForMessageBox(app.processId(), 1000));
    EXPECT_TRUE(IsWindowVisible(about));
    EXPECT_EQ(e2e::windowText(GetDlgItem(about, about::idLblTitle)), "Trawlix 1.10 - By Orvane");
    EXPECT_TRUE(app.visible());
}

TEST(AboutBox, ExitWithTheBoxOpenEndsTheProgram) {
    e2e::App app;
    ASSERT_TRUE(openAbout(app));
    app.setText(ids::numberdl, "9");
    app.click(ids::Command1);
    EXPECT_TRUE(app.waitForExit());
    EXPECT_EQ(e2e::storedSetting("ndownloads"), "9");
}

}  // namespace
