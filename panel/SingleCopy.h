// One Trawlix per sign-in: a start finds out, before it makes any window, whether another copy runs
// in the session; a later start hands over to that copy and ends.
#pragma once

#include <cstdint>

#include "APIcalls/APIcalls.h"

namespace trawlix {

// Names in the session's own namespace that do not depend on the program's folder, so that an
// installed copy and a portable one are one Trawlix too. The first copy owns the mutex for its life.
inline constexpr const char* kSingleCopyMutexName = "Local\\Trawlix.SingleCopy";
// Held by the start that shows the administrator message: later starts stack no second box.
inline constexpr const char* kElevatedMessageMutexName = "Local\\Trawlix.AdministratorMessage";
inline constexpr const char* kMainWindowClass = "TrawlixMainWindow";
// The request a later start sends the running copy's main window: wParam kShowRequest to have it
// shown as the icon's double-click does, kRunningRequest only to learn whether it runs.
inline constexpr const char* kSecondStartMessageName = "Trawlix.SecondStart";
inline constexpr std::uintptr_t kRunningRequest = 0;
inline constexpr std::uintptr_t kShowRequest = 1;
// The running copy's answers: it runs (and was shown when asked), or it is closing.
inline constexpr std::intptr_t kAnswerRunning = 1;
inline constexpr std::intptr_t kAnswerClosing = 2;

inline constexpr const char* kTrawlixElevatedMessage =
    "Trawlix already runs as administrator, and Windows keeps this start from showing it. Start Trawlix as "
    "administrator to show it, or exit it and start Trawlix normally.";

// A hung copy holds a start twice this long at most: once for the request, once for its end.
inline constexpr std::uint32_t kCopyAnswerTimeoutMs = 1000;
// How long a start waits for a copy that is starting or closing, and in what steps: the copy makes
// its window a moment after the mutex, and its mutex goes a moment after its window.
inline constexpr std::uint32_t kCopyWaitMs = 10000;
inline constexpr std::uint32_t kCopyWaitStepMs = 100;

enum class StartDecision {
    RunAsFirst,  // this process is the one copy: it goes on to make its window
    End,         // another copy runs and was shown or asked, or the user was told why not: end now
};

// Called first thing at start-up; enableRequested is the /enable start of the sign-in entry.
StartDecision decideStart(APIcalls& api, bool enableRequested);

}  // namespace trawlix
