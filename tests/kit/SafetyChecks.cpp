#include "SafetyChecks.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>

namespace kit {

namespace {

template <typename Visit>
void forEachProcess(Visit visit) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) visit(entry);
    CloseHandle(snapshot);
}

BOOL CALLBACK noteClientWindow(HWND window, LPARAM lParam) {
    wchar_t title[512] = L"";
    GetWindowTextW(window, title, 512);
    // The same test as Trawlix's own: the title begins so, in this case.
    if (wcsncmp(title, L"KaZaA - ", 8) == 0)
        reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(
            L"A window titled \"" + std::wstring(title) + L"\" is open: the tests would type into it. Close it first.");
    return TRUE;
}

}  // namespace

std::vector<std::wstring> reasonsToRefuse() {
    std::vector<std::wstring> reasons;
    forEachProcess([&](const PROCESSENTRY32W& entry) {
        if (lstrcmpiW(entry.szExeFile, L"Trawlix.exe") == 0)
            reasons.push_back(L"Trawlix.exe is running (process " + std::to_wstring(entry.th32ProcessID) +
                              L"): the tests would close it and change its settings. Exit it first.");
    });
    EnumWindows(noteClientWindow, reinterpret_cast<LPARAM>(&reasons));
    return reasons;
}

void endLeftoverPrograms() {
    forEachProcess([](const PROCESSENTRY32W& entry) {
        if (lstrcmpiW(entry.szExeFile, L"Trawlix.exe") != 0 && lstrcmpiW(entry.szExeFile, L"StandInClient.exe") != 0)
            return;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (!process) return;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 10000);
        CloseHandle(process);
    });
}

}  // namespace kit
