// What the process meets from outside before and while it converts: the
// standard streams it was started with, and the signals that ask it to stop.
#ifndef ZONE2LAS_PLATFORM_PROCESS_H_
#define ZONE2LAS_PLATFORM_PROCESS_H_

namespace platform {

// Opens the null device on each of the standard input, output and error
// that the process was started without, so that no file the program opens
// later takes their place (a message meant for standard error must never
// land in a well's file). To be called before anything else is opened. On
// Windows the runtime keeps those places taken already, and this does
// nothing.
void EnsureStandardStreams();

// Raises the process's soft limit on open files to its hard limit, so that
// the run can hold more of the folders that well names lead to at once (see
// FoldersToHold in platform/files.h). Does nothing where there is no such
// limit (Windows).
void RaiseOpenFileLimit();

// From now on an interrupt (SIGINT), a request to terminate (SIGTERM) or a
// hang-up (SIGHUP) no longer ends the process: it is recorded for
// PendingInterrupt, and a call blocked in a read returns with EINTR, so that
// the program can remove what it has in progress and stop. A second one
// while one is pending ends the process at once, as it would have without
// this call. A write to a closed pipe fails with EPIPE instead of ending the
// process. On Windows Ctrl-C counts as SIGINT, Ctrl-Break as SIGTERM and the
// closing of the console, a log-off or a shut-down as SIGHUP.
void InstallInterruptHandlers();

// The number of the signal that asked the process to stop, 0 while none
// has.
int PendingInterrupt();

// While |hold| is true a second stop signal is recorded like the first
// instead of ending the process: the work under way (moving every file of a
// run into place) is finished first, and the program stops afterwards.
void HoldInterrupts(bool hold);

}  // namespace platform

#endif  // ZONE2LAS_PLATFORM_PROCESS_H_
