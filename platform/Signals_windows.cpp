#include "platform/Signals.hpp"

#include <windows.h>

#include <atomic>

namespace d88 {
namespace {

// Set before the handler can run; the handler runs on a thread of its own.
std::atomic<void (*)() noexcept> cleanupOnEvent{nullptr};

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT ||
        event == CTRL_SHUTDOWN_EVENT) {
        if (const auto cleanup = cleanupOnEvent.load())
            cleanup();
    }
    return FALSE; // and then the default: the process ends as the event ends it
}

} // namespace

void endRunsCleanly(void (*cleanup)() noexcept)
{
    cleanupOnEvent = cleanup;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

// No signal: a write to a closed pipe already fails with its reason.
void reportClosedPipes()
{
}

} // namespace d88
