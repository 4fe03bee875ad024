// Lines kept for the end of the run: the lines of wells set aside (their
// lines go upward) and the picks of a tops table, which wait for the whole
// table. A held line keeps its text and what orders it; it is taken apart
// again when it is written.
#ifndef ZONE2LAS_CONVERT_HELD_LINES_H_
#define ZONE2LAS_CONVERT_HELD_LINES_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "convert/data_line.h"
#include "convert/delimited_table.h"
#include "convert/options.h"
#include "convert/report.h"
#include "convert/table_copy.h"
#include "convert/well_files.h"
#include "io/disk_file.h"
#include "text/string.h"

// A line kept for the end of the run (of a well set aside, or a pick): its
// text, taken apart again when it is written, and what ordering it needs,
// so that a held line costs little more than its text.
struct HeldLine {
  HeldLine(long line_number, const String& line, const DataLine& data)
      : number(line_number),
        text(line.GetText() != nullptr ? line.GetText() : ""),
        well(data.well),
        top(data.top),
        top_text(data.top_text.GetText() != nullptr ? data.top_text.GetText()
                                                    : "") {}

  long number;
  std::string text;
  String well;
  double top;
  std::string top_text;
  // A pick's unit runs to the top of the next pick that starts a unit.
  bool has_unit_bottom = false;
  double unit_bottom = 0.0;
  std::string unit_bottom_text;
};

// What picks of a tops table give no unit, for one note each per run.
struct PickNotes {
  long hidden = 0;  // picks at the depth of a later pick of their well
  long hidden_line = 0;
  long lonely = 0;  // wells with fewer than two picks at different depths
  long lonely_line = 0;
  std::string lonely_well;
};

// The lines of the wells set aside, read anew from the table into |held|
// (quietly: each was reported on the first reading). False once a failure
// is reported (the table cannot be read again).
bool ReadDeferredLines(TableCopy& copy, DiskFile& table, long header_line,
                       const Options& options, const TableHeader& header,
                       std::optional<DelimitedTable>& delimited,
                       WellFiles& wells, std::deque<HeldLine>* held,
                       Reporter& reporter);

// Makes the picks of one well, |order| (by depth, equal depths in table
// order), into units: each pick's unit runs to the next deeper pick and the
// last pick at a depth gives it. Appends the picks that start a unit to
// |units|, their bottoms set.
void PicksToUnits(const std::vector<std::size_t>& order,
                  const std::vector<std::int32_t>& top_key,
                  std::deque<HeldLine>& held, std::vector<std::size_t>* units,
                  PickNotes* notes);

// The notes of what picks gave no unit, once per run.
void ReportPickNotes(const PickNotes& notes, Reporter& reporter);

#endif  // ZONE2LAS_CONVERT_HELD_LINES_H_
