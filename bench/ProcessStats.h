// Figures of a running Windows program as the bench reads them. Under Wine each Windows process is
// a Linux process named after its executable: its memory, CPU time and context switches come from
// that process's /proc entries (reached through drive Z:), counted over its own threads only.
// Handle and object counts come from Windows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

namespace bench {

// CPU time and context switches summed over the threads of a process.
struct ThreadTotals {
    int threads = 0;
    double cpuMs = 0;               // time on a CPU (schedstat, nanosecond resolution)
    std::int64_t voluntary = 0;     // the thread blocked: a wait ended by a wakeup
    std::int64_t nonvoluntary = 0;  // the thread was preempted
};

struct MemoryFigures {
    double rssKb = 0;    // VmRSS
    double anonKb = 0;   // RssAnon: private memory (heaps, stacks, written data)
    double fileKb = 0;   // RssFile: mapped files (executables, libraries, fonts)
    double shmemKb = 0;  // RssShmem
};

struct ObjectCounts {
    DWORD handles = 0;  // kernel handles
    DWORD gdi = 0;      // GDI objects (GetGuiResources), 0 where Wine does not count them
    DWORD user = 0;     // USER objects (GetGuiResources), 0 where Wine does not count them
    int windows = 0;    // the process's windows, top-level and child
};

class ProcessStats {
public:
    // The Linux process of the Windows process with this id, running exeName in this Wine prefix.
    ProcessStats(DWORD processId, const std::string& exeName);
    ~ProcessStats();
    ProcessStats(const ProcessStats&) = delete;
    ProcessStats& operator=(const ProcessStats&) = delete;

    bool found() const { return linuxPid_ != 0; }
    int linuxPid() const { return linuxPid_; }
    MemoryFigures memory() const;
    // Resident kilobytes by what is mapped: a file's name, or [anon], [heap], [stack].
    std::map<std::string, double> residentByMapping() const;
    ThreadTotals threads() const;
    ObjectCounts objects() const;

private:
    DWORD processId_;
    HANDLE process_ = nullptr;
    int linuxPid_ = 0;
};

// The Linux load average as /proc/loadavg gives it (the first three fields).
std::string loadAverage();

}  // namespace bench
