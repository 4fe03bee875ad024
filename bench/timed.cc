// timed: runs a command and reports what it cost, to the microsecond.
//
//   timed <report> <command> [<argument>...]
//
// Runs <command> with the standard streams it was given, waits for it and
// writes to <report> its wall time, its user and system CPU time and its
// peak resident memory, one "name value" line each; exits with its status.
// GNU time prints CPU time to the hundredth of a second, which on a
// conversion of a tenth of a second is a tenth of what is measured.
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) +
         static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: timed <report> <command> [<argument>...]\n");
    return 2;
  }
  std::FILE* report = std::fopen(argv[1], "w");
  if (report == nullptr) {
    std::fprintf(stderr, "timed: cannot write %s: %s\n", argv[1],
                 std::strerror(errno));
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) {
    std::fprintf(stderr, "timed: cannot start %s: %s\n", argv[2],
                 std::strerror(errno));
    return 2;
  }
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::fprintf(stderr, "timed: cannot run %s: %s\n", argv[2],
                 std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  while (wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      std::fprintf(stderr, "timed: %s\n", std::strerror(errno));
      return 2;
    }
  }
  const std::chrono::duration<double> wall =
      std::chrono::steady_clock::now() - start;
  const double user = Seconds(usage.ru_utime);
  const double system = Seconds(usage.ru_stime);
  std::fprintf(report,
               "wall %.6f\nuser %.6f\nsystem %.6f\ncpu %.6f\npeak_kb %ld\n",
               wall.count(), user, system, user + system, usage.ru_maxrss);
  if (std::fclose(report) != 0) return 2;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}
