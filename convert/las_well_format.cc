#include "convert/las_well_format.h"

#include "convert/las_header.h"
#include "convert/resample.h"

void LasWellFormat::WriteHeader(DiskFile& file, const String& well,
                                WellState& state) {
  state.strt_offset = WriteLasHeader(file, header_, depth_step_, well);
}

void LasWellFormat::WriteEnd(const WellState& state, BlockWriter& out) {
  stop_ = WriteClosingRow(state, out);
}

void LasWellFormat::FinishHeader(DiskFile& file, const WellState& state) {
  WriteDepthRange(file, state.strt_offset, header_.depth_unit,
                  state.first_depth, stop_);
}
