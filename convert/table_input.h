// The zone table opened and its header line read, as every reading of the
// table does it (the conversion, and a first reading before it).
#ifndef ZONE2LAS_CONVERT_TABLE_INPUT_H_
#define ZONE2LAS_CONVERT_TABLE_INPUT_H_

#include <optional>
#include <string>
#include <vector>

#include "convert/data_line.h"
#include "convert/delimited_table.h"
#include "convert/options.h"
#include "convert/report.h"
#include "io/disk_file.h"
#include "io/line_reader.h"

// Opens the table named by |reporter| for reading; false once the failure
// is reported.
bool OpenTable(DiskFile& table, Reporter& reporter);

// Reads the header line, the first line that is neither blank nor a
// comment, into |header|, with each role's column; makes |delimited| for a
// delimited table. Returns kExitSuccess (0), or the exit status once the
// failure is reported: kExitUsage for columns of the command line that the
// header does not have.
int ReadHeader(LineReader& reader, const Options& options, Reporter& reporter,
               std::optional<DelimitedTable>* delimited, TableHeader* header);

// Whether |line| is a comment: its first non-blank character is |comment|
// ('\0': no line is).
bool IsComment(const String& line, char comment);

// What taking a line apart found beside its fields.
struct LineFacts {
  // More fields than the header names, in a whitespace table.
  bool wide = false;
  // The field, 1 top or 2 bottom, that is not a decimal number; 0: none.
  int not_a_number = 0;
};

// Splits a data line of |length| bytes by the table's delimiter into |data|
// (its buffers, those of the line before, reused: the fields are split into
// the buffers of its values), puts them in the order of the roles and checks
// them the same way whatever the delimiter. False, with the reason in |err|, for a
// line that cannot be converted, whose record is then of no use; |facts|,
// when given, gets what else was found.
bool TakeApart(const String& line, std::size_t length,
               const TableHeader& header,
               std::optional<DelimitedTable>& delimited, double depth_step,
               DataLine* data, std::string* err, LineFacts* facts = nullptr);

// Where the depth |field| (1 top, 2 bottom) that is not a number came from:
// " (column 2, \"TOP\")", and the first time in a run (|hinted| false) how
// to choose other columns.
std::string DepthColumnHint(const TableHeader& header, int field, bool* hinted);

#endif  // ZONE2LAS_CONVERT_TABLE_INPUT_H_
