#include "UserState.h"

#include <windows.h>
#include <shlobj.h>

#include "RunnerOutput.h"

namespace kit {

namespace {

constexpr const wchar_t* kSettingsKey = L"Software\\Trawlix";
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRunValue = L"Trawlix";
constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Trawlix";
constexpr const wchar_t* kKitKey = L"Software\\TrawlixTestKit";
constexpr const wchar_t* kSavedKey = L"Software\\TrawlixTestKit\\Saved";

// The installer's Start-menu shortcuts, each saved under its own name with the flag that says it was there.
struct Shortcut {
    const wchar_t* file;
    const wchar_t* flag;
};
constexpr Shortcut kShortcuts[] = {{L"Trawlix.lnk", L"HadShortcut"}, {L"Trawlix README.lnk", L"HadReadmeShortcut"}};

std::wstring shellFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool keyExists(const wchar_t* path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

LSTATUS deleteKey(const wchar_t* path) {
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, path);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// Copies a key below HKEY_CURRENT_USER, its values and subkeys, to a new key of that name.
LSTATUS copyKey(const std::wstring& from, const std::wstring& to) {
    HKEY source, target;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, from.c_str(), 0, KEY_READ, &source);
    if (status != ERROR_SUCCESS) return status;
    status = RegCreateKeyExW(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegCopyTreeW(source, nullptr, target);
        RegCloseKey(target);
    }
    RegCloseKey(source);
    return status;
}

DWORD savedFlag(const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kSavedKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

LSTATUS setSavedFlag(const wchar_t* name, DWORD value) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, kSavedKey, name, REG_DWORD, &value, sizeof value);
}

// A registry value as it stands: its type and bytes.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

LSTATUS readValue(const wchar_t* key, const wchar_t* name, RawValue& value) {
    DWORD size = 0;
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    value.data.resize(size);
    status = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, value.data.data(),
                          &size);
    value.data.resize(size);
    return status;
}

LSTATUS writeValue(const wchar_t* key, const wchar_t* name, const RawValue& value) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, key, name, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size()));
}

LSTATUS deleteValue(const wchar_t* key, const wchar_t* name) {
    const LSTATUS status = RegDeleteKeyValueW(HKEY_CURRENT_USER, key, name);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// Calls visit(name) for each entry of the folder but "." and ".."; the last error a call returned,
// ERROR_SUCCESS when none did.
template <typename Visit>
DWORD forEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    DWORD result = ERROR_SUCCESS;
    if (search == INVALID_HANDLE_VALUE) return result;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const DWORD error = visit(name);
        if (error != ERROR_SUCCESS) result = error;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return result;
}

// Removes a file or a folder with everything in it; read-only files too.
DWORD removeTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
    SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str())
                                                                     : DeleteFileW(path.c_str());
        return removed ? ERROR_SUCCESS : GetLastError();
    }
    DWORD result = forEachEntry(path, [&](const std::wstring& name) { return removeTree(path + L"\\" + name); });
    if (result == ERROR_SUCCESS && !RemoveDirectoryW(path.c_str())) result = GetLastError();
    return result;
}

// Copies a file, or a folder with everything in it, keeping the files' times and attributes.
DWORD copyTree(const std::wstring& from, const std::wstring& to) {
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return CopyFileW(from.c_str(), to.c_str(), FALSE) ? ERROR_SUCCESS : GetLastError();
    if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return GetLastError();
    const DWORD result = forEachEntry(from, [&](const std::wstring& name) {
        return copyTree(from + L"\\" + name, to + L"\\" + name);
    });
    SetFileAttributesW(to.c_str(), attributes);
    return result;
}

// Creates a folder and the folders above it.
void createFolders(const std::wstring& path) {
    for (std::size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);
}

}  // namespace

UserState::UserState()
    : installFolder_(shellFolder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Trawlix"),
      programsFolder_(shellFolder(CSIDL_PROGRAMS)),
      savedFolder_(shellFolder(CSIDL_LOCAL_APPDATA) + L"\\TrawlixTestKit\\Saved") {}

// A copy counts once the last step of save() has marked it complete: a save cut short had not yet
// touched the user's things.
bool UserState::savedCopyExists() const { return savedFlag(L"Complete") != 0; }

bool UserState::save(std::wstring& problem) const {
    auto discard = [&] {
        deleteKey(kKitKey);
        removeTree(savedFolder_.substr(0, savedFolder_.rfind(L'\\')));
    };
    auto fail = [&](const std::wstring& what, DWORD error) {
        problem = L"Could not save " + what + L": " + errorText(error) + L".";
        discard();
        return false;
    };
    discard();  // what a save cut short may have left
    HKEY created = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kSavedKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                                     nullptr);
    if (created) RegCloseKey(created);
    if (status != ERROR_SUCCESS) return fail(L"into HKEY_CURRENT_USER\\Software\\TrawlixTestKit", status);

    const bool hadSettings = keyExists(kSettingsKey);
    if (hadSettings && (status = copyKey(kSettingsKey, std::wstring(kSavedKey) + L"\\Settings")) != ERROR_SUCCESS)
        return fail(L"the settings (HKEY_CURRENT_USER\\Software\\Trawlix)", status);
    const bool hadUninstall = keyExists(kUninstallKey);
    if (hadUninstall && (status = copyKey(kUninstallKey, std::wstring(kSavedKey) + L"\\Uninstall")) != ERROR_SUCCESS)
        return fail(L"the entry among the installed apps", status);
    RawValue run;
    const bool hadRun = readValue(kRunKey, kRunValue, run) == ERROR_SUCCESS;
    if (hadRun && (status = writeValue(kSavedKey, L"Run", run)) != ERROR_SUCCESS)
        return fail(L"the sign-in entry", status);

    const bool hadFolder = exists(installFolder_);
    createFolders(savedFolder_);
    DWORD error;
    if (hadFolder && (error = copyTree(installFolder_, savedFolder_ + L"\\Trawlix")) != ERROR_SUCCESS)
        return fail(L"the installed copy in " + installFolder_, error);
    for (const auto& shortcut : kShortcuts) {
        const std::wstring path = programsFolder_ + L"\\" + shortcut.file;
        const bool had = exists(path);
        if (had && (error = copyTree(path, savedFolder_ + L"\\" + shortcut.file)) != ERROR_SUCCESS)
            return fail(L"the Start-menu shortcut " + path, error);
        if ((status = setSavedFlag(shortcut.flag, had ? 1 : 0)) != ERROR_SUCCESS)
            return fail(L"what there was", status);
    }

    for (const auto& [name, had] : {std::pair{L"HadSettings", hadSettings}, std::pair{L"HadUninstall", hadUninstall},
                                    std::pair{L"HadRun", hadRun}, std::pair{L"HadFolder", hadFolder}})
        if ((status = setSavedFlag(name, had ? 1 : 0)) != ERROR_SUCCESS) return fail(L"what there was", status);
    if ((status = setSavedFlag(L"Complete", 1)) != ERROR_SUCCESS) return fail(L"what there was", status);
    return true;
}

// Each of the user's things: removed, and with putBack set, the saved one put in its place.
std::vector<std::wstring> UserState::replace(bool putBack) const {
    std::vector<std::wstring> left;
    auto check = [&](DWORD error, const std::wstring& what) {
        if (error != ERROR_SUCCESS) left.push_back(what + L": " + errorText(error));
    };
    auto had = [&](const wchar_t* name) { return putBack && savedFlag(name); };

    LSTATUS status = deleteKey(kSettingsKey);
    if (status == ERROR_SUCCESS && had(L"HadSettings"))
        status = copyKey(std::wstring(kSavedKey) + L"\\Settings", kSettingsKey);
    check(status, L"the settings, HKEY_CURRENT_USER\\Software\\Trawlix");

    status = deleteKey(kUninstallKey);
    if (status == ERROR_SUCCESS && had(L"HadUninstall"))
        status = copyKey(std::wstring(kSavedKey) + L"\\Uninstall", kUninstallKey);
    check(status, L"the entry among the installed apps, HKEY_CURRENT_USER\\" + std::wstring(kUninstallKey));

    RawValue run;
    if (had(L"HadRun")) {
        status = readValue(kSavedKey, L"Run", run);
        if (status == ERROR_SUCCESS) status = writeValue(kRunKey, kRunValue, run);
    } else {
        status = deleteValue(kRunKey, kRunValue);
    }
    check(status, L"the sign-in entry, the value Trawlix in HKEY_CURRENT_USER\\" + std::wstring(kRunKey));

    DWORD error = removeTree(installFolder_);
    if (error == ERROR_SUCCESS && had(L"HadFolder")) {
        createFolders(installFolder_.substr(0, installFolder_.rfind(L'\\')));
        error = copyTree(savedFolder_ + L"\\Trawlix", installFolder_);
    }
    check(error, L"the installed copy, " + installFolder_);

    for (const auto& shortcut : kShortcuts) {
        const std::wstring path = programsFolder_ + L"\\" + shortcut.file;
        error = removeTree(path);
        if (error == ERROR_SUCCESS && had(shortcut.flag)) error = copyTree(savedFolder_ + L"\\" + shortcut.file, path);
        check(error, L"the Start-menu shortcut, " + path);
    }
    return left;
}

std::vector<std::wstring> UserState::clear() const { return replace(false); }

std::vector<std::wstring> UserState::restore() const {
    const auto left = replace(true);
    if (left.empty()) {
        deleteKey(kKitKey);
        removeTree(savedFolder_.substr(0, savedFolder_.rfind(L'\\')));
    }
    return left;
}

std::wstring UserState::where() const {
    return L"HKEY_CURRENT_USER\\" + std::wstring(kSavedKey) + L" and " + savedFolder_;
}

}  // namespace kit
