// The depth key: every comparison of depths in the program is made on whole
// thousandths of a metre, rounded up, so that the parser, the rows and the
// well files agree on where a depth lies.
#ifndef ZONE2LAS_CONVERT_DEPTH_KEY_H_
#define ZONE2LAS_CONVERT_DEPTH_KEY_H_

#include <cmath>
#include <cstdint>
#include <limits>

// The depth key's double before rounding up: the product is rounded to
// double, and K(depth) <= K for a whole K is ScaledDepth(depth) <= K.
inline double ScaledDepth(double depth) { return depth * 1000.0; }

// True when |depth|'s key fits in a signed 32-bit integer: ceil(x) >= n for
// a whole n is x > n - 1, and ceil(x) <= n is x <= n, both exact in double
// and false for not-a-number.
inline bool DepthKeyFits(double depth) {
  const double scaled = ScaledDepth(depth);
  return scaled > -2147483649.0 && scaled <= 2147483647.0;
}

// ceil(depth * 1000) as a signed 32-bit integer. Callers keep depths within
// DepthKeyFits; outside it the key saturates. (Several are taken of every
// line: inline, they cost a few instructions each.)
inline std::int32_t DepthKey(double depth) {
  const double key = std::ceil(ScaledDepth(depth));
  // Converting a double outside the int32 range is undefined; callers keep
  // depths inside it, and saturation keeps every loop finite if one slips.
  if (!(key >= static_cast<double>(std::numeric_limits<std::int32_t>::min())))
    return std::numeric_limits<std::int32_t>::min();
  if (key > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(key);
}

#endif  // ZONE2LAS_CONVERT_DEPTH_KEY_H_
