// Runs the large-offset check of DiskFile as a program of its own, for the
// Windows build: large_offsets [DIRECTORY] (the current one by default).
#include <cstdio>
#include <string>

#include "tests/large_offsets.h"

int main(int argc, char* argv[]) {
  const std::string directory = argc > 1 ? argv[1] : ".";
  std::string err;
  if (!CheckLargeOffsets(directory, &err)) {
    std::printf("large offsets: %s\n0 passed, 1 failed\n", err.c_str());
    return 1;
  }
  std::printf("large offsets: 1 passed, 0 failed\n");
  return 0;
}
