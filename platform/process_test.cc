#include "platform/process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/scratch.h"

namespace {

// Each case runs in a child process of its own (a death test), since it
// closes standard streams or changes how signals are handled; the child's
// exit status tells what it saw.

bool IsNullDevice(int descriptor) {
  struct stat null_device;
  struct stat status;
  return ::stat("/dev/null", &null_device) == 0 &&
         ::fstat(descriptor, &status) == 0 && S_ISCHR(status.st_mode) &&
         status.st_rdev == null_device.st_rdev;
}

// Closes the descriptors in |closed|, mends them, and checks what each of
// 0, 1 and 2 is then and where the next opened file goes. Exits with 0 when
// all is as it should be, else with the number of the first wrong check.
[[noreturn]] void CheckMendedStreams(const std::string& closed,
                                     const std::string& file) {
  struct stat before[3];
  for (int descriptor = 0; descriptor < 3; ++descriptor) {
    if (::fstat(descriptor, &before[descriptor]) != 0) std::_Exit(10);
  }
  for (char c : closed) ::close(c - '0');
  platform::EnsureStandardStreams();
  for (int descriptor = 0; descriptor < 3; ++descriptor) {
    bool was_closed =
        closed.find(static_cast<char>('0' + descriptor)) != std::string::npos;
    struct stat now;
    if (::fstat(descriptor, &now) != 0) std::_Exit(20 + descriptor);
    if (was_closed && !IsNullDevice(descriptor)) std::_Exit(30 + descriptor);
    if (!was_closed && (now.st_dev != before[descriptor].st_dev ||
                        now.st_ino != before[descriptor].st_ino))
      std::_Exit(40 + descriptor);
  }
  int well_file = ::open(file.c_str(), O_RDWR | O_CREAT, 0600);
  std::_Exit(well_file > 2 ? 0 : 50);
}

TEST(Process, StandardStreamsStartedClosedAreTheNullDeviceAfterwards) {
  ScratchDir dir;
  const std::string file = (dir / "W1.las").string();
  const char* cases[] = {"2", "12", "0", "012", ""};
  for (const char* closed : cases) {
    EXPECT_EXIT(CheckMendedStreams(closed, file), testing::ExitedWithCode(0),
                "")
        << "closed: " << closed;
  }
}

// Blocks in a read on an empty pipe until |signal_number| comes from
// another thread; exits with the pending interrupt when the read returned
// with EINTR, else with 100 and more.
[[noreturn]] void ReadUntilSignalled(int signal_number) {
  if (platform::PendingInterrupt() != 0) std::_Exit(100);
  platform::InstallInterruptHandlers();
  int ends[2];
  if (::pipe(ends) != 0) std::_Exit(101);
  pthread_t reader = ::pthread_self();
  std::atomic<bool> returned{false};
  std::thread sender([&] {
    ::usleep(100 * 1000);
    ::pthread_kill(reader, signal_number);
    // Should the read not return within 2 s, a byte lets it, and the
    // status says so.
    for (int wait = 0; wait < 200 && !returned; ++wait) ::usleep(10 * 1000);
    if (!returned) (void)!::write(ends[1], "x", 1);
  });
  char byte;
  ssize_t got = ::read(ends[0], &byte, 1);
  int error = errno;
  returned = true;
  sender.join();
  if (got != -1 || error != EINTR) std::_Exit(102);
  std::_Exit(platform::PendingInterrupt());
}

TEST(Process, StopSignalsAreRecordedAndEndABlockedRead) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    EXPECT_EXIT(ReadUntilSignalled(signal_number),
                testing::ExitedWithCode(signal_number), "")
        << "signal " << signal_number;
  }
}

TEST(Process, ASecondStopSignalEndsTheProcessAtOnce) {
  EXPECT_EXIT(
      {
        platform::InstallInterruptHandlers();
        std::raise(SIGINT);
        std::raise(SIGTERM);
        std::_Exit(0);
      },
      testing::KilledBySignal(SIGTERM), "");
}

TEST(Process, AWriteToAClosedPipeFailsInsteadOfEndingTheProcess) {
  EXPECT_EXIT(
      {
        platform::InstallInterruptHandlers();
        int ends[2];
        if (::pipe(ends) != 0) std::_Exit(2);
        ::close(ends[0]);
        ssize_t wrote = ::write(ends[1], "zone2las: message\n", 18);
        std::_Exit(wrote == -1 && errno == EPIPE ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
