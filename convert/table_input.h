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

// Reads the header line, the first line that is not blank, into |header|;
// makes |delimited| for a delimited table. False once the failure is
// reported.
bool ReadHeader(LineReader& reader, const Options& options, Reporter& reporter,
                std::optional<DelimitedTable>* delimited, TableHeader* header);

#endif  // ZONE2LAS_CONVERT_TABLE_INPUT_H_
