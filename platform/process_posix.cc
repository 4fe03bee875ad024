// Standard streams and stop signals on POSIX systems.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/process.h"

namespace platform {

namespace {

volatile std::sig_atomic_t pending_interrupt = 0;
volatile std::sig_atomic_t holding_interrupts = 0;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RecordInterrupt(int signal_number) {
  if (pending_interrupt != 0 && holding_interrupts == 0) {
    // Asked again while stopping: stop now, the way the signal would have.
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
    ::raise(signal_number);
    return;
  }
  if (pending_interrupt == 0) pending_interrupt = signal_number;
}

}  // namespace

void EnsureStandardStreams() {
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is the one that is missing.
    int null_device = ::open("/dev/null", O_RDWR);
    if (null_device >= 0 && null_device != descriptor) {
      ::dup2(null_device, descriptor);
      ::close(null_device);
    }
  }
}

void RaiseOpenFileLimit() {
  struct rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 ||
      limit.rlim_cur == limit.rlim_max)
    return;
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

void InstallInterruptHandlers() {
  struct sigaction action = {};
  // No SA_RESTART: a blocked read returns, and the reader sees the signal.
  action.sa_handler = RecordInterrupt;
  sigemptyset(&action.sa_mask);
  for (int signal_number : kStopSignals) {
    sigaddset(&action.sa_mask, signal_number);
  }
  for (int signal_number : kStopSignals) {
    ::sigaction(signal_number, &action, nullptr);
  }
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
  // Past the file-size limit a write fails with EFBIG instead of killing the
  // process: that well is reported as for a full disk, the others published.
  ::sigaction(SIGXFSZ, &ignore, nullptr);
}

int PendingInterrupt() { return pending_interrupt; }

void HoldInterrupts(bool hold) { holding_interrupts = hold ? 1 : 0; }

}  // namespace platform
