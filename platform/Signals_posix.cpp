#include "platform/Signals.hpp"

#include <csignal>
#include <initializer_list>

namespace d88 {
namespace {

void (*volatile cleanupOnSignal)() noexcept = nullptr;

extern "C" void onEndingSignal(int signal)
{
    if (cleanupOnSignal != nullptr)
        cleanupOnSignal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// The signals another process may send whose default ends the process; not
// those that mean the program itself failed (SEGV, BUS, ILL, FPE, ABRT,
// TRAP, SYS), nor SIGPIPE and SIGXFSZ, which are ignored.
sigset_t endingSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM, SIGPROF, SIGXCPU, SIGIO})
        sigaddset(&set, signal);
#ifdef SIGPWR
    sigaddset(&set, SIGPWR);
#endif
#ifdef SIGSTKFLT
    sigaddset(&set, SIGSTKFLT);
#endif
#ifdef SIGRTMIN
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal)
        sigaddset(&set, signal);
#endif
    return set;
}

} // namespace

void endRunsCleanly(void (*cleanup)() noexcept)
{
    cleanupOnSignal = cleanup;
    std::signal(SIGXFSZ, SIG_IGN);
    reportClosedPipes();
    struct sigaction action { };
    action.sa_handler = onEndingSignal;
    action.sa_mask = endingSignals(); // one handler at a time
    // Held back while the handlers go in, so that a signal the run was started
    // with ignored (nohup, a background job) that comes meanwhile is dropped
    // when it is ignored again, not handled: one call a signal, not two.
    sigset_t before;
    ::sigprocmask(SIG_BLOCK, &action.sa_mask, &before);
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction previous { };
        if (sigismember(&action.sa_mask, signal) != 1 || ::sigaction(signal, &action, &previous) != 0)
            continue;
        if (previous.sa_handler == SIG_IGN)
            ::sigaction(signal, &previous, nullptr);
    }
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
}

void reportClosedPipes()
{
    std::signal(SIGPIPE, SIG_IGN);
}

} // namespace d88
