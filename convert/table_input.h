// The zone table opened and its header line read, as every reading of the
// table does it (the conversion, and a first reading before it).
#ifndef ZONE2LAS_CONVERT_TABLE_INPUT_H_
#define ZONE2LAS_CONVERT_TABLE_INPUT_H_

#include <optional>

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

#endif  // ZONE2LAS_CONVERT_TABLE_INPUT_H_
