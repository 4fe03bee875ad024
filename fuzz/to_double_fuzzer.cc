// The program's own number parser on arbitrary text. It must be
// deterministic, treat a leading minus as a sign change, and stay close to
// the standard parser on the plain decimals a depth is written as.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "text/string.h"

namespace {

void Check(bool condition, const char* what, const std::string& text) {
  if (!condition) {
    std::fprintf(stderr, "to_double_fuzzer: %s for \"%s\"\n", what,
                 text.c_str());
    std::abort();
  }
}

bool SameDouble(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

// An optional sign, then at most 15 digits with at most one point: every
// digit string fits a double exactly, so only the scaling rounds.
bool IsShortDecimal(const std::string& text) {
  std::size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
  int digits = 0;
  int points = 0;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      ++digits;
    } else if (text[i] == '.' && points == 0) {
      ++points;
    } else {
      return false;
    }
  }
  return digits > 0 && digits <= 15;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();
  const double value = String(text.c_str()).ToDouble();
  Check(SameDouble(value, String(text.c_str()).ToDouble()), "not deterministic",
        text);
  if (text.empty() || text[0] != '-') {
    const double negated = String(("-" + text).c_str()).ToDouble();
    Check(SameDouble(negated, -value), "minus is not a sign change", text);
  }
  if (IsShortDecimal(text)) {
    const double standard = std::strtod(text.c_str(), nullptr);
    Check(std::fabs(value - standard) <= 1e-13 * std::fabs(standard),
          "far from strtod", text);
  }
  // What a row or the header would print of it.
  String printed;
  printed.FromDouble(value);
  Check(printed.Length() > 0, "printed empty", text);
  return 0;
}
