#pragma once

namespace d88 {

// How a run meets signals. One sent from outside whose default ends the
// process (SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGALRM, SIGXCPU, ...; on
// Windows Ctrl+C, Ctrl+Break, a closed console, log-off or shut-down) first
// calls `cleanup`, then ends the process as it would have. Not those that
// mean the program itself failed (SEGV, BUS, ILL, FPE, ABRT, TRAP, SYS). A
// closed pipe loses the log and not the run (SIGPIPE ignored); a file past
// the size limit fails with its reason (SIGXFSZ ignored). A signal the
// process was started with ignored stays ignored. `cleanup` must be safe to
// call in a signal handler. Call once, before anything that needs cleaning up.
void endRunsCleanly(void (*cleanup)() noexcept);

// A closed pipe becomes a failed write the program reports, not a signal
// that ends it silently (endRunsCleanly does this too).
void reportClosedPipes();

} // namespace d88
