// Standard streams and stop requests on Windows: console control events
// stand for the signals of POSIX systems.

// Before every other header: the runtime and system headers below want it.
#include "platform/windows_headers.h"

#include <csignal>

#include "platform/process.h"

namespace platform {

namespace {

// Set from the thread that the system starts for a console event.
volatile LONG pending_interrupt = 0;
volatile LONG holding_interrupts = 0;

constexpr LONG kHangUp = 1;      // SIGHUP elsewhere
constexpr LONG kTerminate = 15;  // SIGTERM elsewhere

BOOL WINAPI RecordControlEvent(DWORD event) {
  LONG signal_number = 0;
  switch (event) {
    case CTRL_C_EVENT:
      signal_number = SIGINT;
      break;
    case CTRL_BREAK_EVENT:
      signal_number = kTerminate;
      break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      signal_number = kHangUp;
      break;
    default:
      return FALSE;
  }
  if (InterlockedCompareExchange(&pending_interrupt, signal_number, 0) != 0 &&
      InterlockedCompareExchange(&holding_interrupts, 0, 0) == 0) {
    // Asked again while stopping: stop now, as the system would have.
    ExitProcess(STATUS_CONTROL_C_EXIT);
  }
  if (signal_number == kHangUp) {
    // The system ends the process as soon as this returns; the main thread
    // ends it itself once it has removed what it had in progress.
    Sleep(INFINITE);
  }
  return TRUE;
}

}  // namespace

void EnsureStandardStreams() {}

void RaiseOpenFileLimit() {}

void InstallInterruptHandlers() {
  SetConsoleCtrlHandler(RecordControlEvent, TRUE);
}

int PendingInterrupt() {
  return static_cast<int>(InterlockedCompareExchange(&pending_interrupt, 0, 0));
}

void HoldInterrupts(bool hold) {
  InterlockedExchange(&holding_interrupts, hold ? 1 : 0);
}

}  // namespace platform
