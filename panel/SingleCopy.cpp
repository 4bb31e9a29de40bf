#include "SingleCopy.h"

namespace trawlix {

namespace {

bool owned(std::uint32_t waitResult) { return waitResult == WAIT_OBJECT_0_CODE || waitResult == WAIT_ABANDONED_CODE; }

// A copy started as administrator made the mutex where this start may not open it, and Windows
// would keep this start's request from its window as well.
StartDecision tellRunsElevated(APIcalls& api) {
    // Marked before the box opens, as the user may start Trawlix again while it is open.
    if (api.CreateMutexA(kElevatedMessageMutexName).error == 0) api.MsgBox(kTrawlixElevatedMessage);
    return StartDecision::End;
}

}  // namespace

StartDecision decideStart(APIcalls& api, bool enableRequested) {
    const NamedMutex copy = api.CreateMutexA(kSingleCopyMutexName);
    if (copy.error == ERROR_ACCESS_DENIED_CODE) {
        // Refused with no Trawlix window anywhere: this start may not make the mutex at all (one at
        // low integrity may not), and nothing runs to be joined.
        if (api.FindWindowA(kMainWindowClass) == 0) return StartDecision::RunAsFirst;
        // The sign-in entry's start stays silent whatever runs.
        return enableRequested ? StartDecision::End : tellRunsElevated(api);
    }
    // Made here, or no mutex to be had at all: better one copy unguarded than none.
    if (copy.error != ERROR_ALREADY_EXISTS_CODE || copy.handle == 0) return StartDecision::RunAsFirst;

    const std::uint32_t request = api.RegisterWindowMessageA(kSecondStartMessageName);
    for (std::uint32_t waited = 0;; waited += kCopyWaitStepMs) {
        const WindowHandle running = api.FindWindowA(kMainWindowClass);
        if (running != 0) {
            if (!enableRequested) {
                // This start has the right to the front, and the running copy needs it to come forward.
                std::uint32_t processId = 0;
                api.GetWindowThreadProcessId(running, &processId);
                api.AllowSetForegroundWindow(processId);
            }
            const auto answer = api.SendMessageTimeoutResult(running, request,
                                                             enableRequested ? kRunningRequest : kShowRequest, 0,
                                                             SMTO_BLOCK_FLAG, kCopyAnswerTimeoutMs);
            if (answer == kAnswerRunning) return StartDecision::End;
            // A window that is there and does not answer is hung, or busy closing: this start waits
            // no longer than it took to ask, long enough for a closing copy's process to end.
            if (!answer && api.IsWindow(running))
                return owned(api.WaitForSingleObject(copy.handle, kCopyAnswerTimeoutMs)) ? StartDecision::RunAsFirst
                                                                                         : StartDecision::End;
        }
        // No window yet (the copy is starting) or no more, or it is closing: the copy owns the mutex
        // until its process ends, and then this start is the first.
        if (owned(api.WaitForSingleObject(copy.handle, kCopyWaitStepMs))) return StartDecision::RunAsFirst;
        if (waited >= kCopyWaitMs) return StartDecision::End;
    }
}

}  // namespace trawlix
