#include "convert/resample.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// The lead-in above a well's first interval, in metres.
constexpr double kLeadIn = 2.0;
// The lead-in end, gap end and interval end rows stand this far (metres)
// above the depth that follows them.
constexpr double kEndRowOffset = 0.01;

// The key's double before rounding up; the product is rounded to double.
double ScaledDepth(double depth) { return depth * 1000.0; }

// An assembled row: depth, zone, then a tail that brings DEFINTERV, the
// attribute cells and the line feed. Three spaces separate the fields.
void WriteAssembledRow(DiskFile& file, double depth, const String& zone,
                       const String& tail) {
  String depth_text;
  depth_text.FromDouble(depth);
  const String row =
      depth_text.Concat("   ").Concat(zone).Concat("   ").Concat(tail);
  file.Write(row.GetText());
}

// A lead-in row: zone 0 and the null row tail, with four spaces after the
// depth.
void WriteLeadInRow(DiskFile& file, double depth, const String& null_row_tail) {
  if (std::FILE* out = file.GetStream())
    std::fprintf(out, "%f    %d   %s", depth, 0, null_row_tail.GetText());
}

}  // namespace

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

void ResampleLine(String& line, WellState& well, DiskFile& file,
                  double depth_step, int attribute_count,
                  const String& null_row_tail) {
  well.previous_bottom = well.bottom;
  String token = line.NextToken(kWhiteSpace);
  well.top = token.ToDouble();
  token.Assign(line.NextToken(kWhiteSpace));
  well.bottom = token.ToDouble();
  ++well.line_count;

  const std::int32_t top_key = DepthKey(well.top);
  if (well.line_count == 1) {
    double depth = well.top - kLeadIn;
    well.first_depth = depth;
    // Repeated addition, never start + k * step: the key absorbs the
    // rounding that accumulates.
    while (DepthKey(depth) < top_key) {
      WriteLeadInRow(file, depth, null_row_tail);
      depth = depth + depth_step;
    }
    WriteLeadInRow(file, well.top - kEndRowOffset, null_row_tail);
  } else if (DepthKey(well.previous_bottom) != top_key) {
    // The zone text and the interval row tail are still the previous line's.
    WriteAssembledRow(file, well.previous_bottom, well.zone_text,
                      well.interval_row_tail);
    double depth = well.previous_bottom + depth_step;
    while (DepthKey(depth) < top_key) {
      WriteAssembledRow(file, depth, well.zone_text, null_row_tail);
      depth = depth + depth_step;
    }
    WriteAssembledRow(file, well.top - kEndRowOffset, well.zone_text,
                      null_row_tail);
  }

  well.zone_text.Assign(line.NextToken(kWhiteSpace));
  well.sample_depth = well.top;
  String tail("1   ");
  for (int i = 0; i < attribute_count; ++i)
    tail.Assign(tail.Concat("   ").Concat(line.NextToken(kWhiteSpace)));
  well.interval_row_tail.Assign(tail.Concat("\n"));

  const std::int32_t last_sample_key = DepthKey(well.bottom - kEndRowOffset);
  while (DepthKey(well.sample_depth) <= last_sample_key) {
    WriteAssembledRow(file, well.sample_depth, well.zone_text,
                      well.interval_row_tail);
    well.sample_depth = well.sample_depth + depth_step;
  }
  WriteAssembledRow(file, well.sample_depth - kEndRowOffset, well.zone_text,
                    well.interval_row_tail);
  well.last_depth = well.sample_depth;
}

void WriteClosingRow(WellState& well, DiskFile& file) {
  WriteAssembledRow(file, well.last_depth, well.zone_text,
                    well.interval_row_tail);
}
