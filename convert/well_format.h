// What a well's file holds beside the rows of its lines: its header and the
// rows after its last line. WellFiles asks its WellFormat for them: the
// program's usual files (LasWellFormat) or standard ones (StandardRun).
#ifndef ZONE2LAS_CONVERT_WELL_FORMAT_H_
#define ZONE2LAS_CONVERT_WELL_FORMAT_H_

#include "convert/well_state.h"
#include "io/block_writer.h"
#include "io/disk_file.h"
#include "text/string.h"

class WellFormat {
 public:
  virtual ~WellFormat() = default;
  // Writes the whole header of the file of the well named |well| into
  // |file|, open and empty, and readies |state| for the well's first line.
  virtual void WriteHeader(DiskFile& file, const String& well,
                           WellState& state) = 0;
  // Writes the rows that follow the well's last line; |state| stays as it
  // was, so that a well whose lines come back goes on from it.
  virtual void WriteEnd(const WellState& state, BlockWriter& out) = 0;
  // Once every row of the well is in |file|, open where the rows end: sets
  // in the header what only the rows tell. The file's length stays.
  virtual void FinishHeader(DiskFile& /*file*/, const WellState& /*state*/) {}
};

#endif  // ZONE2LAS_CONVERT_WELL_FORMAT_H_
