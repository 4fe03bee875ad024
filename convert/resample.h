// Resampling of depth intervals into the data rows of the ~Ascii section.
#ifndef ZONE2LAS_CONVERT_RESAMPLE_H_
#define ZONE2LAS_CONVERT_RESAMPLE_H_

#include <cstdint>

#include "convert/data_line.h"
#include "convert/well_state.h"
#include "io/block_writer.h"
#include "text/string.h"

// The tail of every row outside an interval: DEFINTERV 0 and a NULL in each
// of |attribute_count| attribute cells, then the line feed.
String NullRowTail(int attribute_count);

// Writes the rows of one checked data line: the lead-in (first line of a
// well) or the rows that bridge a gap from the previous bottom, then the
// interval rows and the interval end row. The line's bottom lies below its
// top, and its top not above the bottom of the well's previous line. Every
// row prints deeper than the one before it in the file. False when the
// interval is too thin to carry a row of its own. Once a write to the file
// of |out| has failed no more rows are made, and the line counts as carried:
// the well is reported for its file, not for thin lines.
bool ResampleLine(const DataLine& line, WellState& well, BlockWriter& out,
                  double depth_step, const String& null_row_tail);

// Writes the row at the well's last depth that closes its ~Ascii section,
// unless the row before it already lies there. |well| stays as it was, so a
// well whose lines come back goes on from it. Returns the depth of the file's
// last row: STOP.
double WriteClosingRow(const WellState& well, BlockWriter& out);

#endif  // ZONE2LAS_CONVERT_RESAMPLE_H_
