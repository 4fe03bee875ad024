// The program's usual files: a LAS header made from the table's header and
// the step, the closing row after a well's last line, and the depth range
// (STRT, STOP) set in the header once every row is in the file.
#ifndef ZONE2LAS_CONVERT_LAS_WELL_FORMAT_H_
#define ZONE2LAS_CONVERT_LAS_WELL_FORMAT_H_

#include "convert/data_line.h"
#include "convert/well_format.h"

class LasWellFormat : public WellFormat {
 public:
  // Files of the table with |header|, resampled at |depth_step|.
  LasWellFormat(const TableHeader& header, double depth_step)
      : header_(header), depth_step_(depth_step) {}

  void WriteHeader(DiskFile& file, const String& well,
                   WellState& state) override;
  void WriteEnd(const WellState& state, BlockWriter& out) override;
  void FinishHeader(DiskFile& file, const WellState& state) override;

 private:
  const TableHeader& header_;
  const double depth_step_;
  // The depth of the last row that WriteEnd wrote: the well's STOP.
  double stop_ = 0.0;
};

#endif  // ZONE2LAS_CONVERT_LAS_WELL_FORMAT_H_
