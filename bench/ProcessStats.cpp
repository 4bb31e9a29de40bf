#include "ProcessStats.h"

#include <winternl.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace bench {

namespace {

// Linux's /proc through Wine's drive Z:, which maps the root of the file system.
const std::string kProc = "Z:\\proc\\";

// Files in /proc report a size of 0; they are read until the end.
std::string readAll(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// The number after "name:" in a /proc status file, 0 when absent.
double statusField(const std::string& status, const std::string& name) {
    std::size_t at = status.find("\n" + name + ":");
    return at == std::string::npos ? 0 : std::atof(status.c_str() + at + name.size() + 2);
}

// The fields of a stat line after the command, which is in parentheses and may hold blanks:
// fields[0] is the state (field 3 in proc(5)).
std::vector<std::string> statFields(const std::string& stat) {
    std::vector<std::string> fields;
    std::istringstream rest(stat.substr(stat.rfind(')') + 1));
    for (std::string field; rest >> field;) fields.push_back(field);
    return fields;
}

std::vector<std::string> numberedEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (entry.cFileName[0] >= '0' && entry.cFileName[0] <= '9') names.push_back(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

std::string environmentValue(const char* name) {
    char value[1024] = "";
    GetEnvironmentVariableA(name, value, sizeof value);
    return value;
}

// SystemHandleInformation: every handle of every process, with its owner. Wine answers it; it does
// not answer GetProcessHandleCount (always 0).
constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};

DWORD handleCount(DWORD processId) {
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while (
        (status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                           &needed)) == static_cast<NTSTATUS>(0xC0000004L))  // too small
        buffer.resize(buffer.size() * 2);
    if (status != 0) return 0;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    DWORD count = 0;
    for (ULONG i = 0; i < table->count; ++i)
        if (table->entries[i].ownerPid == processId) ++count;
    return count;
}

struct WindowCount {
    DWORD processId;
    int count;
    static BOOL CALLBACK child(HWND, LPARAM lParam) {
        ++reinterpret_cast<WindowCount*>(lParam)->count;
        return TRUE;
    }
    static BOOL CALLBACK topLevel(HWND window, LPARAM lParam) {
        auto* self = reinterpret_cast<WindowCount*>(lParam);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != self->processId) return TRUE;
        ++self->count;
        EnumChildWindows(window, child, lParam);
        return TRUE;
    }
};

}  // namespace

ProcessStats::ProcessStats(DWORD processId, const std::string& exeName)
    : processId_(processId), process_(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId)) {
    // Linux keeps the first 15 characters of a process's name. Other Wine prefixes on the machine
    // may run a program of the same name; of ours, the one started last.
    const std::string comm = exeName.substr(0, 15) + "\n";
    const std::string prefix = std::string(1, '\0') + "WINEPREFIX=" + environmentValue("WINEPREFIX") + '\0';
    long long newest = -1;
    for (const std::string& pid : numberedEntries(kProc)) {
        const std::string folder = kProc + pid + "\\";
        if (readAll(folder + "comm") != comm) continue;
        if (('\0' + readAll(folder + "environ")).find(prefix) == std::string::npos) continue;
        std::vector<std::string> fields = statFields(readAll(folder + "stat"));
        long long started = fields.size() > 19 ? std::atoll(fields[19].c_str()) : 0;
        if (started > newest) {
            newest = started;
            linuxPid_ = std::atoi(pid.c_str());
        }
    }
}

ProcessStats::~ProcessStats() {
    if (process_) CloseHandle(process_);
}

MemoryFigures ProcessStats::memory() const {
    const std::string status = readAll(kProc + std::to_string(linuxPid_) + "\\status");
    return {statusField(status, "VmRSS"), statusField(status, "RssAnon"), statusField(status, "RssFile"),
            statusField(status, "RssShmem")};
}

std::map<std::string, double> ProcessStats::residentByMapping() const {
    std::map<std::string, double> resident;
    std::istringstream smaps(readAll(kProc + std::to_string(linuxPid_) + "\\smaps"));
    std::string mapping = "[anon]";
    for (std::string line; std::getline(smaps, line);) {
        if (line.rfind("Rss:", 0) == 0) {
            resident[mapping] += std::atof(line.c_str() + 4);
            continue;
        }
        // A mapping's first line: range, permissions, offset, device, inode, then its path if any.
        std::istringstream fields(line);
        std::string range, perms, offset, device, inode, path;
        if (!(fields >> range >> perms >> offset >> device >> inode) || range.find('-') == std::string::npos) continue;
        std::getline(fields >> std::ws, path);
        mapping = path.empty() ? "[anon]" : path.substr(path.find_last_of('/') + 1);
    }
    return resident;
}

ThreadTotals ProcessStats::threads() const {
    ThreadTotals totals;
    const std::string tasks = kProc + std::to_string(linuxPid_) + "\\task\\";
    for (const std::string& tid : numberedEntries(tasks)) {
        const std::string folder = tasks + tid + "\\";
        const std::string status = readAll(folder + "status");
        if (status.empty()) continue;  // the thread ended meanwhile
        ++totals.threads;
        totals.cpuMs += std::atof(readAll(folder + "schedstat").c_str()) / 1e6;
        totals.voluntary += static_cast<std::int64_t>(statusField(status, "voluntary_ctxt_switches"));
        totals.nonvoluntary += static_cast<std::int64_t>(statusField(status, "nonvoluntary_ctxt_switches"));
    }
    return totals;
}

ObjectCounts ProcessStats::objects() const {
    ObjectCounts counts;
    counts.handles = handleCount(processId_);
    if (process_) {
        counts.gdi = GetGuiResources(process_, GR_GDIOBJECTS);
        counts.user = GetGuiResources(process_, GR_USEROBJECTS);
    }
    WindowCount windows{processId_, 0};
    EnumWindows(WindowCount::topLevel, reinterpret_cast<LPARAM>(&windows));
    counts.windows = windows.count;
    return counts;
}

std::string loadAverage() {
    std::istringstream fields(readAll("Z:\\proc\\loadavg"));
    std::string one, five, fifteen;
    fields >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

}  // namespace bench
