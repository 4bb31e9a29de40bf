// The installer and the uninstaller as a user or a deployment script runs them silently: what they
// put in place and take away, and what they do to a running Trawlix and its settings.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <fstream>
#include <iterator>

#include "E2eSupport.h"
#include "shell/ControlIds.h"

namespace ids = trawlix::ids;

namespace {

using e2e::installFolder;
using e2e::kRunKey;
using e2e::kUninstallKey;
using e2e::startMenuShortcut;

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool sameContents(const std::string& path, const std::string& other) { return fileText(path) == fileText(other); }

std::optional<DWORD> registrationNumber(const char* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// In the test kit the installers lie beside the test program; here the release's lies among the
// release files, and the earlier version's beside the test program.
void install(const std::string& options, const std::string& installer = "Trawlix-1.10-setup.exe") {
    const std::string folder = exists(e2e::binDir() + "\\" + installer) ? e2e::binDir() : TRAWLIX_PACKAGE_DIR;
    e2e::Process setup(installer, options, folder);
    ASSERT_TRUE(setup.waitForExit(60000)) << "no " << installer << " in " << folder << " (make package)";
}

// The uninstaller copies itself to the temporary folder, starts that copy and returns at once; the
// copy does the work, so wait for it as well.
void uninstall() {
    e2e::Process uninstaller("uninstall.exe", "/S", installFolder());
    ASSERT_TRUE(uninstaller.waitForExit());
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != uninstaller.id()) continue;
        HANDLE copy = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
        EXPECT_EQ(WaitForSingleObject(copy, 60000), WAIT_OBJECT_0);
        CloseHandle(copy);
    }
    CloseHandle(snapshot);
}

TEST(Installer, SilentInstallPutsEverythingInPlaceAndTheProgramStartsFromItsFolder) {
    install("/S /autostart");
    const std::string folder = installFolder();
    for (const char* file : {"\\Donate.url", "\\EmailMe.url", "\\HomePage.url", "\\uninstall.exe"})
        EXPECT_TRUE(exists(folder + file)) << file;
    EXPECT_EQ(
        fileText(folder + "\\LICENSE.txt").rfind("MIT License\r\n\r\nCopyright (c) 2026 the Trawlix authors\r\n", 0),
        0u);
    EXPECT_TRUE(sameContents(folder + "\\Trawlix.exe", e2e::binDir() + "\\Trawlix.exe"));
    EXPECT_TRUE(exists(startMenuShortcut()));
    // The user's readme of the ZIPs, for Notepad, and its shortcut in the Start menu.
    EXPECT_EQ(fileText(folder + "\\README.txt").rfind("Trawlix 1.10 (", 0), 0u);
    EXPECT_NE(fileText(folder + "\\README.txt").find("\r\nMESSAGES\r\n"), std::string::npos);
    EXPECT_TRUE(exists(e2e::startMenuReadme()));

    auto registration = [](const char* name) {
        return e2e::userRegistryText(kUninstallKey, name).value_or("(missing)");
    };
    EXPECT_EQ(registration("DisplayName"), "Trawlix");
    EXPECT_EQ(registration("DisplayVersion"), "1.10");
    EXPECT_EQ(registration("DisplayIcon"), folder + "\\Trawlix.exe,0");
    EXPECT_EQ(registration("Publisher"), "Orvane");
    EXPECT_EQ(registration("InstallLocation"), folder);
    EXPECT_EQ(registration("UninstallString"), "\"" + folder + "\\uninstall.exe\"");
    EXPECT_EQ(registration("QuietUninstallString"), "\"" + folder + "\\uninstall.exe\" /S");
    EXPECT_EQ(registrationNumber("NoModify"), 1u);
    EXPECT_EQ(registrationNumber("NoRepair"), 1u);
    // In KB, not bytes: the program and the uninstaller take some hundred.
    EXPECT_GT(registrationNumber("EstimatedSize").value_or(0), 10u);
    EXPECT_LT(registrationNumber("EstimatedSize").value_or(0), 4096u);
    EXPECT_EQ(e2e::userRegistryText(kRunKey, "Trawlix"), "\"" + folder + "\\Trawlix.exe\" /enable");

    e2e::App app(false, folder);
    ASSERT_TRUE(app.window());
    app.click(ids::Command1);
    EXPECT_TRUE(app.waitForExit());
}

TEST(Installer, ClosesTheRunningCopyBehindItsIconWithItsSettingsAndUninstallKeepsTheSettings) {
    install("/S /autostart");
    const std::string folder = installFolder();
    const std::string program = folder + "\\Trawlix.exe";
    {
        // An earlier program file: the same program with bytes appended still runs.
        std::ofstream(program, std::ios::binary | std::ios::app) << "an earlier build";
    }
    e2e::App installed(false, folder);
    ASSERT_TRUE(installed.window());
    installed.setText(ids::numberdl, "7");
    SendMessageA(installed.window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);  // behind its notification icon
    ASSERT_TRUE(e2e::waitUntil([&] { return installed.iconPresent(); }));
    install("/S");
    EXPECT_TRUE(installed.waitForExit(1000));
    EXPECT_FALSE(installed.iconPresent());
    EXPECT_EQ(e2e::storedSetting("ndownloads"), "7");
    EXPECT_TRUE(sameContents(program, e2e::binDir() + "\\Trawlix.exe"));
    EXPECT_TRUE(e2e::userRegistryText(kRunKey, "Trawlix"));  // the sign-in choice stays

    e2e::App running(true, folder);
    ASSERT_TRUE(running.window());
    {
        // A portable copy started beside it is the same Trawlix, whatever its folder: it ends at once
        // (the show that follows is the tray tests' part).
        e2e::Process portable("Trawlix.exe", "", e2e::programDir());
        EXPECT_TRUE(portable.waitForExit(5000));
        EXPECT_EQ(portable.exitCode(), 0u);
    }
    running.setText(ids::numberdl, "8");
    uninstall();
    EXPECT_TRUE(running.waitForExit(1000));
    EXPECT_FALSE(exists(folder));
    EXPECT_FALSE(exists(startMenuShortcut()));
    EXPECT_FALSE(exists(e2e::startMenuReadme()));
    EXPECT_FALSE(e2e::userRegistryText(kUninstallKey, "DisplayName"));
    EXPECT_FALSE(e2e::userRegistryText(kRunKey, "Trawlix"));
    EXPECT_EQ(e2e::storedSetting("ndownloads"), "8");
}

TEST(Installer, UpdatesAnEarlierVersionRunningEnabledBehindItsIconKeepingItsSettingsAndTheSignInChoice) {
    // The earlier version, installed with the start at sign-in, started and enabled: only its icon shows.
    install("/S /autostart", "Trawlix-earlier-setup.exe");
    const std::string folder = installFolder();
    ASSERT_EQ(e2e::userRegistryText(kUninstallKey, "DisplayVersion"), TRAWLIX_EARLIER_VERSION);
    e2e::App earlier(false, folder, "", "Trawlix.exe", "Trawlix " TRAWLIX_EARLIER_VERSION);
    ASSERT_TRUE(earlier.window()) << "the earlier version did not start from " << folder;
    earlier.setText(ids::numberdl, "7");
    earlier.click(ids::go);
    ASSERT_TRUE(e2e::waitUntil([&] { return earlier.iconPresent() && !earlier.visible(); }));

    // The new installer over it: closes it as its Exit would, replaces it, keeps the choice.
    install("/S");
    EXPECT_TRUE(earlier.waitForExit(1000)) << "the earlier version still runs";
    EXPECT_FALSE(earlier.iconPresent());
    EXPECT_EQ(e2e::storedSetting("ndownloads"), "7");
    EXPECT_TRUE(sameContents(folder + "\\Trawlix.exe", e2e::binDir() + "\\Trawlix.exe"));
    EXPECT_EQ(e2e::userRegistryText(kUninstallKey, "DisplayVersion"), "1.10");
    EXPECT_EQ(e2e::userRegistryText(kRunKey, "Trawlix"), "\"" + folder + "\\Trawlix.exe\" /enable");

    uninstall();
    EXPECT_FALSE(exists(folder));
    EXPECT_FALSE(e2e::userRegistryText(kUninstallKey, "DisplayVersion"));
    EXPECT_FALSE(e2e::userRegistryText(kRunKey, "Trawlix"));
    EXPECT_EQ(e2e::storedSetting("ndownloads"), "7");
}

}  // namespace
