// The depth key: every comparison of depths in the program is made on whole
// thousandths of a metre, rounded up, so that the parser, the rows and the
// well files agree on where a depth lies.
#ifndef ZONE2LAS_CONVERT_DEPTH_KEY_H_
#define ZONE2LAS_CONVERT_DEPTH_KEY_H_

#include <cstdint>

// The depth key's double before rounding up: the product is rounded to
// double, and K(depth) <= K for a whole K is ScaledDepth(depth) <= K.
inline double ScaledDepth(double depth) { return depth * 1000.0; }

// ceil(depth * 1000) as a signed 32-bit integer. Callers keep depths within
// DepthKeyFits; outside it the key saturates.
std::int32_t DepthKey(double depth);
// True when |depth|'s key fits in a signed 32-bit integer.
bool DepthKeyFits(double depth);

#endif  // ZONE2LAS_CONVERT_DEPTH_KEY_H_
