#include "convert/depth_key.h"

#include <cmath>
#include <limits>

bool DepthKeyFits(double depth) {
  const double key = std::ceil(ScaledDepth(depth));
  return key >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
         key <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}

std::int32_t DepthKey(double depth) {
  const double key = std::ceil(ScaledDepth(depth));
  // Converting a double outside the int32 range is undefined; callers keep
  // depths inside it, and saturation keeps every loop finite if one slips.
  if (!(key >= static_cast<double>(std::numeric_limits<std::int32_t>::min())))
    return std::numeric_limits<std::int32_t>::min();
  if (key > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(key);
}
