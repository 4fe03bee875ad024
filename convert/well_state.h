// The state that one well carries from data line to data line.
#ifndef ZONE2LAS_CONVERT_WELL_STATE_H_
#define ZONE2LAS_CONVERT_WELL_STATE_H_

#include <cstdint>

#include "text/string.h"

struct WellState {
  // Data lines of this well processed so far; non-zero means there is a well
  // to finish.
  std::int32_t line_count = 0;
  // Depths in metres.
  double bottom = 0.0;       // of the latest data line
  double first_depth = 0.0;  // STRT: the first lead-in row
  double last_depth = 0.0;   // the closing row, at the bottom at the deepest
  // The last row written: its depth, and that depth as printed, in whole
  // millionths of a metre (the six decimals of a row). A row is written only
  // if it prints deeper than the row before it, so that the depth index of
  // the file strictly increases.
  bool has_row = false;
  double last_row_depth = 0.0;
  std::int64_t last_row_millionths = 0;
  // Zone token of the latest data line.
  String zone_text;
  // "1   " and the latest data line's attribute values; not reset between
  // wells, as every use follows a line of the same well.
  String interval_row_tail;
  // Byte offset of the STRT line in the output file.
  std::int64_t strt_offset = 0;
  // On a regular grid (a WellFormat's): the next row to write and the
  // well's last row.
  std::int64_t next_row = 0;
  std::int64_t last_row = 0;

  // Back to the state of a well that has no line yet.
  void Reset() {
    line_count = 0;
    bottom = 0.0;
    first_depth = last_depth = 0.0;
    has_row = false;
    last_row_depth = 0.0;
    last_row_millionths = 0;
    zone_text.Assign(static_cast<const char*>(nullptr));
  }
};

#endif  // ZONE2LAS_CONVERT_WELL_STATE_H_
