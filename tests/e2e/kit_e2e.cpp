// The test kit on the PC of someone who uses Trawlix: it refuses to start beside a running Trawlix
// or client, and puts the user's own Trawlix back exactly after a run, also one interrupted
// part-way. Runs the unpacked kit's x64 set (TRAWLIX_KIT_DIR) with its installer tests, which
// install over, and uninstall, whatever Trawlix is installed.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "E2eSupport.h"

namespace {

using e2e::installFolder;
using e2e::kRunKey;
using e2e::kUninstallKey;
using e2e::shellFolder;
using e2e::startMenuShortcut;

constexpr const char* kKitDir = TRAWLIX_KIT_DIR;

void setValue(const char* key, const char* name, DWORD type, const std::string& data) {
    RegSetKeyValueA(HKEY_CURRENT_USER, key, name, type, data.data(), static_cast<DWORD>(data.size()));
}

void writeFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

// A user's own Trawlix of an earlier version: settings with a value and a subkey no test writes,
// a sign-in entry of another folder, an installed copy with a file of the user's.
void seedUsersTrawlix() {
    e2e::storeSetting("ndownloads", "6");
    e2e::storeSetting("interval", "25");
    e2e::storeSetting("timeunit", "Hours");
    setValue("Software\\Trawlix", "note", REG_BINARY, std::string("\x01\x00\xff", 3));
    setValue("Software\\Trawlix\\Later", "kept", REG_DWORD, std::string("\x07\x00\x00\x00", 4));
    setValue(kRunKey, "Trawlix", REG_SZ, std::string("\"D:\\Tools\\Trawlix.exe\" /enable") + '\0');
    setValue(kUninstallKey, "DisplayName", REG_SZ, std::string("Trawlix") + '\0');
    setValue(kUninstallKey, "DisplayVersion", REG_SZ, std::string("1.0") + '\0');
    const std::string folder = installFolder();
    std::filesystem::create_directories(folder + "\\Logs");
    writeFile(folder + "\\Trawlix.exe", "an earlier Trawlix");
    writeFile(folder + "\\Logs\\mine.txt", "the user's own file");
    writeFile(startMenuShortcut(), "a shortcut");
    writeFile(e2e::startMenuReadme(), "a readme shortcut");
}

void removeUsersTrawlix() {
    e2e::clearSettings();
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Trawlix");
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstallKey);
    std::error_code ignored;
    std::filesystem::remove_all(installFolder(), ignored);
    DeleteFileA(startMenuShortcut().c_str());
    DeleteFileA(e2e::startMenuReadme().c_str());
}

// Every value (type and bytes) and subkey of a key, one line each.
void describeKey(HKEY parent, const std::string& path, std::ostringstream& out) {
    HKEY key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        out << path << " (missing)\n";
        return;
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name, type = 0;
        BYTE data[4096];
        DWORD dataSize = sizeof data;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        out << path << " | " << name << " type " << type << ":";
        for (DWORD b = 0; b < dataSize; ++b) out << ' ' << int(data[b]);
        out << '\n';
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        describeKey(parent, path + "\\" + name, out);
    }
    RegCloseKey(key);
}

// Each file below a path (or the file itself) with its contents, in name order.
void describeFiles(const std::string& path, std::ostringstream& out) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::exists(path, error)) {
        out << path << " (missing)\n";
        return;
    }
    std::vector<std::string> lines;
    auto describe = [&](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        lines.push_back(file.string() + ": " +
                        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    };
    if (!fs::is_directory(path)) {
        describe(path);
    } else {
        for (const auto& entry : fs::recursive_directory_iterator(path)) {
            if (entry.is_directory()) lines.push_back(entry.path().string() + " folder");
            else describe(entry.path());
        }
    }
    std::sort(lines.begin(), lines.end());
    for (const auto& line : lines) out << line << '\n';
}

// Everything of the user's that the kit saves, and where it keeps a saved copy.
std::string usersTrawlix() {
    std::ostringstream out;
    describeKey(HKEY_CURRENT_USER, "Software\\Trawlix", out);
    describeKey(HKEY_CURRENT_USER, kUninstallKey, out);
    out << "sign-in: " << e2e::userRegistryText(kRunKey, "Trawlix").value_or("(missing)") << '\n';
    describeFiles(installFolder(), out);
    describeFiles(startMenuShortcut(), out);
    describeFiles(e2e::startMenuReadme(), out);
    return out.str();
}

bool savedCopyLeft() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\TrawlixTestKit", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        return true;
    }
    return GetFileAttributesA((shellFolder(CSIDL_LOCAL_APPDATA) + "\\TrawlixTestKit").c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

struct KitRun {
    DWORD exitCode = STILL_ACTIVE;
    std::string output;
};

// Runs a command line as a user runs the kit from a console, its output kept in a file.
KitRun runKit(const std::string& commandLine) {
    KitRun run;
    const std::string outputPath = e2e::binDir() + "\\kit-output.txt";
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    const bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, kKitDir, &startup,
                                        &process);
    CloseHandle(output);
    if (!started) return run;
    WaitForSingleObject(process.hProcess, 600000);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::ifstream in(outputPath, std::ios::binary);
    run.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return run;
}

std::string runTests(const std::string& arguments) {
    return std::string("cmd /c \"") + kKitDir + "\\run-tests.cmd\" " + arguments;
}

// Whether a line of the output is that text, or begins with it.
bool hasLine(const std::string& output, const std::string& text, bool whole = false) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (whole ? line == text : line.rfind(text, 0) == 0) return true;
    }
    return false;
}

// Whether the kit's 32-bit programs run here. Under Wine the test environment knows: a 64-bit prefix
// runs them only beside an installed 32-bit Wine, and there a 32-bit program "starts" and ends with
// exit code 0, having run nothing. On Windows, whether one of them lists its tests.
bool runsX86Programs() {
    if (const char* known = std::getenv("TRAWLIX_E2E_RUNS_X86")) return std::string(known) == "1";
    const KitRun listed = runKit(std::string("\"") + kKitDir + "\\x86\\install_e2e.exe\" --gtest_list_tests");
    return listed.exitCode == 0 && listed.output.find("\n  ") != std::string::npos;
}

// Whether one of the kit's 32-bit programs can be started here at all. Where they do not run, Wine 8
// starts one that then runs nothing, and Wine 10 and a Windows without WoW64 refuse to start it: the
// kit names each case with its own reason.
bool startsX86Programs() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = std::string("\"") + kKitDir + "\\x86\\install_e2e.exe\" --gtest_list_tests";
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, kKitDir, &startup,
                        &process))
        return false;
    TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

TEST(TestKit, RunPutsTheUsersTrawlixBackExactly) {
    seedUsersTrawlix();
    const std::string before = usersTrawlix();
    const KitRun run = runKit(runTests("--only install_e2e"));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_TRUE(hasLine(run.output, "x64: 3 passed, 0 failed", true)) << run.output;
    const char* notRun = startsX86Programs() ? "x86: not run: its programs run no test here: "
                                             : "x86: not run: this Windows cannot start its programs: ";
    EXPECT_TRUE(runsX86Programs() ? hasLine(run.output, "x86: 3 passed, 0 failed", true) : hasLine(run.output, notRun))
        << run.output;
    EXPECT_EQ(usersTrawlix(), before);
    EXPECT_FALSE(savedCopyLeft());
    removeUsersTrawlix();
}

// Ended at once part-way, as by Task Manager or a power cut, where no handler runs (Wine 8 delivers
// no Ctrl+C or Ctrl+Break to another process, so the handler for those cannot be driven here): the
// run says first where it saves the copy, and the next run puts it back before anything else.
TEST(TestKit, RunEndedPartWayIsPutBackByTheNextRun) {
    seedUsersTrawlix();
    const std::string before = usersTrawlix();
    std::string commandLine = std::string("\"") + kKitDir + "\\x64\\KitRunner.exe\" --only install_e2e";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(
        CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, kKitDir, &startup, &process));
    // Part-way: the installer test has installed where the user's copy was.
    EXPECT_TRUE(
        e2e::waitUntil([] { return e2e::userRegistryText(kUninstallKey, "DisplayVersion") == "1.10"; }, 120000));
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_NE(usersTrawlix(), before);
    EXPECT_TRUE(savedCopyLeft());

    const KitRun next = runKit(runTests("--only trawlix_unit_tests"));
    EXPECT_TRUE(hasLine(next.output, "An earlier run ended before it could put back your Trawlix")) << next.output;
    EXPECT_EQ(next.exitCode, 0u) << next.output;
    EXPECT_EQ(usersTrawlix(), before);
    EXPECT_FALSE(savedCopyLeft());
    removeUsersTrawlix();
}

TEST(TestKit, RefusesWhileTrawlixOrTheClientRunsAndChangesNothing) {
    seedUsersTrawlix();
    // Refused with this reason, exit code 2, and nothing of the user's touched.
    auto expectRefused = [](const std::string& reason) {
        const std::string before = usersTrawlix();
        const KitRun run = runKit(runTests(""));
        EXPECT_EQ(run.exitCode, 2u);
        EXPECT_TRUE(hasLine(run.output, reason)) << run.output;
        EXPECT_EQ(usersTrawlix(), before);
        EXPECT_FALSE(savedCopyLeft());
    };
    {
        e2e::App running(true);
        ASSERT_TRUE(running.window());
        expectRefused("Not started: Trawlix.exe is running");
    }
    e2e::StandIn client;
    expectRefused("Not started: A window titled \"KaZaA - ");
    removeUsersTrawlix();
}

}  // namespace
