#include "io/console.h"

#include <cstdio>

void WriteToOutput(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void WriteToError(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}
