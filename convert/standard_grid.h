// The regular grid of a standard file: row k stands at exactly k times the
// step, the step a whole number of millionths, so that every depth is a
// whole multiple of the step and prints from integers alone. Rows are placed
// in intervals by depth keys, whole millimetres rounded up, as every depth
// comparison of the program is made.
#ifndef ZONE2LAS_CONVERT_STANDARD_GRID_H_
#define ZONE2LAS_CONVERT_STANDARD_GRID_H_

#include <cstdint>
#include <string>

#include "io/block_writer.h"

// The step |step| in whole millionths into |millionths|; false when it has
// more than six decimals (its double is not the one nearest to any whole
// number of millionths).
bool StepMillionths(double step, long long* millionths);

// Rows |first| to |last| of the grid, both included; none when first > last.
struct GridRows {
  std::int64_t first = 0;
  std::int64_t last = -1;

  bool empty() const { return first > last; }
};

// The rows of a grid of |step| millionths whose keys lie in
// [|top_key|, |bottom_key|): those of an interval.
GridRows RowsWithin(std::int32_t top_key, std::int32_t bottom_key,
                    std::int64_t step);

// The rows of a well from |top_key| to |bottom_key|: from the last row not
// deeper than the top to the first not shallower than the bottom.
GridRows RowsCovering(std::int32_t top_key, std::int32_t bottom_key,
                      std::int64_t step);

// The depth key of a plain decimal |text| (an optional sign, digits, at most
// one point), taken from its digits: the depth in whole millimetres, rounded
// up, with no rounding of a binary fraction on the way, so that a top of 0.3
// holds the row at 0.3. The text's depth lies within the depth-key range.
std::int32_t TextDepthKey(const char* text);

// The longest text FormatMillionths writes.
constexpr int kMaxMillionthsText = 28;

// Writes |value| millionths with six decimals ("-0.152400") into |text|,
// with no terminator; returns the number of bytes.
int FormatMillionths(std::int64_t value, char* text);
std::string MillionthsText(std::int64_t value);

// Writes the rows |rows| of a grid of |step| millionths into |out|: the
// depth, then |row_end| (which holds the line feed).
void WriteGridRows(GridRows rows, std::int64_t step, const std::string& row_end,
                   BlockWriter& out);

#endif  // ZONE2LAS_CONVERT_STANDARD_GRID_H_
