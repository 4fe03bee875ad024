// The rows of accepted lines, written into their wells' files: a line's
// rows as it comes, the lines that waited for their well's turn, and the
// lines held for the end of the run (of wells set aside, or a tops table's
// picks), each well's in depth order.
#ifndef ZONE2LAS_CONVERT_LINE_ROWS_H_
#define ZONE2LAS_CONVERT_LINE_ROWS_H_

#include <deque>
#include <map>
#include <optional>

#include "convert/data_line.h"
#include "convert/delimited_table.h"
#include "convert/held_lines.h"
#include "convert/report.h"
#include "convert/returning_lines.h"
#include "convert/standard_run.h"
#include "convert/well_files.h"
#include "text/string.h"

class LineRows {
 public:
  // Rows at |depth_step| of lines of a table with |header|, taken apart
  // again, when held, as |delimited| says; under --standard as |standard|
  // writes them.
  LineRows(const TableHeader& header, std::optional<DelimitedTable>& delimited,
           double depth_step, WellFiles& wells,
           std::optional<StandardRun>& standard, Reporter& reporter);

  // The rows of an accepted line, number |number| of the table, in its
  // well's file, the current one. A line |noted| before (written once,
  // before its well was set aside) gets no note again.
  void Write(const DataLine& line, long number, bool noted = false);

  // Writes the lines that waited for their wells' turn, each well's
  // together in its file, reopened where its rows end.
  void WriteReturning(ReturningLines& returning);

  // Writes |held|: each well's lines after those of the wells whose first
  // line comes before, stably sorted by top, as if the table had held them
  // so; each file keeps the spelling of its well's first line. A tops
  // table's picks are made into units first. |deferred_at|: each well set
  // aside and its first line whose rows were not written.
  void WriteHeld(std::deque<HeldLine>& held,
                 const std::map<const void*, long>& deferred_at);

 private:
  // Takes |text|, a line taken apart once already, apart again.
  bool TakeApartAgain(const String& text, DataLine* line);

  const TableHeader& header_;
  std::optional<DelimitedTable>& delimited_;
  const double depth_step_;
  WellFiles& wells_;
  std::optional<StandardRun>& standard_;
  Reporter& reporter_;
  const String null_row_tail_;
  std::string err_;
};

#endif  // ZONE2LAS_CONVERT_LINE_ROWS_H_
