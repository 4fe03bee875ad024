#include "convert/resample.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "convert/depth_key.h"
#include "convert/las_format.h"
#include "convert/row_batch.h"
#include "text/number.h"

namespace {

// Writes the line's attribute values into |tail|: "1   " (DEFINTERV), three
// spaces before each value, and the line feed, assembled in one buffer of
// its full length, so that a wide line costs in proportion to its width.
// Returns the tail's length.
std::size_t ReadIntervalRowTail(const Fields& values, String& tail) {
  // The lengths of the first values are kept from the first pass for the
  // second (a usual table has a few); the rest are measured again.
  constexpr std::size_t kKept = 16;
  std::size_t kept[kKept];
  std::size_t length = 5;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::size_t value_length = values.Length(i);
    if (i < kKept) kept[i] = value_length;
    length += 3 + value_length;
  }
  char* out = tail.Overwrite(static_cast<std::uint32_t>(length));
  if (out == nullptr) return 0;  // reported: the run is given up
  std::memcpy(out, "1   ", 4);
  out += 4;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::size_t value_length = i < kKept ? kept[i] : values.Length(i);
    std::memcpy(out, "   ", 3);
    std::memcpy(out + 3, values[i], value_length);
    out += 3 + value_length;
  }
  *out = '\n';
  return length;
}

// The lead-in or gap rows from |depth| by |step| while their key lies below
// the top's (|depth| * 1000 <= |below_top_key|) and they print above
// |end_row_depth|, then the end row there, 0.01 m above the top. Repeated
// addition, never start + k * step: the key absorbs the rounding that
// accumulates.
void RowsUpToTop(RowBatch& rows, double depth, double step,
                 double below_top_key, double end_row_depth) {
  rows.RowsAbove(depth, step, below_top_key, PrintedMillionths(end_row_depth));
  rows.Row(end_row_depth);
}

}  // namespace

// Assembled once in a buffer of its full length, so that a header of any
// width costs time in proportion to it.
String NullRowTail(int attribute_count) {
  const std::size_t null_length = std::strlen(kNullText);
  const std::size_t cell = null_length + 2;
  String tail;
  char* out = tail.Overwrite(static_cast<std::uint32_t>(
      4 + cell * static_cast<std::size_t>(attribute_count) + 1));
  if (out == nullptr) return tail;  // reported: the run is given up
  std::memcpy(out, "0   ", 4);
  out += 4;
  for (int i = 0; i < attribute_count; ++i, out += cell) {
    std::memcpy(out, kNullText, null_length);
    std::memcpy(out + null_length, "  ", 2);
  }
  *out = '\n';
  return tail;
}

bool ResampleLine(const DataLine& line, WellState& well, BlockWriter& out,
                  double depth_step, const String& null_row_tail) {
  const double previous_bottom = well.bottom;
  const double top = line.top;
  well.bottom = line.bottom;
  ++well.line_count;

  RowBatch rows(out, well);
  const std::int32_t top_key = DepthKey(top);
  // K(depth) < K for a whole K is depth * 1000 <= K - 1: the same product,
  // and no rounding up per row.
  const double below_top_key = static_cast<double>(top_key) - 1.0;
  // The lead-in and gap rows stop short of the row 0.01 m above the top that
  // ends them, so that they never print at or below it.
  const double end_row_depth = top - kEndRowOffset;
  if (well.line_count == 1) {
    // Lead-in rows: zone 0 and the null row tail, with four spaces after the
    // depth.
    rows.SetRowEnd({"    0   ", null_row_tail.GetText()});
    well.first_depth = top - kLeadIn;
    RowsUpToTop(rows, well.first_depth, depth_step, below_top_key,
                end_row_depth);
  } else if (DepthKey(previous_bottom) != top_key) {
    // The zone text and the interval row tail are still the previous line's.
    // Three spaces separate depth, zone and tail.
    rows.SetRowEnd({"   ", well.zone_text.GetText(), "   ",
                    well.interval_row_tail.GetText()});
    rows.Row(previous_bottom);
    rows.SetRowEnd(
        {"   ", well.zone_text.GetText(), "   ", null_row_tail.GetText()});
    RowsUpToTop(rows, previous_bottom + depth_step, depth_step, below_top_key,
                end_row_depth);
  }

  well.zone_text.Assign(line.zone);
  double sample_depth = top;
  const std::size_t tail_length =
      ReadIntervalRowTail(line.values, well.interval_row_tail);

  rows.SetRowEnd({"   ",
                  well.zone_text.GetText(),
                  "   ",
                  {well.interval_row_tail.GetText(), tail_length}});
  const std::int32_t last_sample_key = DepthKey(well.bottom - kEndRowOffset);
  // K(depth) <= K for a whole K is depth * 1000 <= K: the same product, and
  // no rounding up per row.
  const double last_sample_scaled = static_cast<double>(last_sample_key);
  // The first row is compared with the row before it; the rest follow it.
  bool has_sample_row = false;
  while (!has_sample_row && !rows.Stopped() &&
         ScaledDepth(sample_depth) <= last_sample_scaled) {
    has_sample_row = rows.Row(sample_depth);
    sample_depth = sample_depth + depth_step;
  }
  // The interval end row stands 0.01 m above the first sample past the
  // interval, or 0.01 m above the bottom when that sample lies beyond it; an
  // interval without a row of its own has no end either.
  if (has_sample_row) {
    sample_depth =
        rows.FollowingRows(sample_depth, depth_step, last_sample_scaled);
    double end_depth = sample_depth - kEndRowOffset;
    if (DepthKey(end_depth) >= DepthKey(well.bottom))
      end_depth = well.bottom - kEndRowOffset;
    rows.Row(end_depth);
  }
  well.last_depth = sample_depth > well.bottom ? well.bottom : sample_depth;
  // A well whose file has failed is reported as such, not for thin lines.
  return has_sample_row || rows.Stopped();
}

double WriteClosingRow(const WellState& well, BlockWriter& out) {
  // Only the last row's place is carried over: the row's texts, as wide as
  // the line's values, are not copied.
  WellState after;
  after.has_row = well.has_row;
  after.last_row_depth = well.last_row_depth;
  after.last_row_millionths = well.last_row_millionths;
  {
    RowBatch rows(out, after);
    rows.SetRowEnd({"   ", well.zone_text.GetText(), "   ",
                    well.interval_row_tail.GetText()});
    rows.Row(well.last_depth);
  }
  return after.last_row_depth;
}
