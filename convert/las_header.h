// The LAS 2.0 header of an output file and the rewrite of its depth range.
#ifndef ZONE2LAS_CONVERT_LAS_HEADER_H_
#define ZONE2LAS_CONVERT_LAS_HEADER_H_

#include <cstdint>

#include "convert/data_line.h"
#include "io/disk_file.h"

// Writes the whole header into |file| (open for writing and still empty):
// version, well and curve sections and the ~Ascii marker, with one curve per
// attribute column of |header|, and its depth unit for DEPT, STRT, STOP and
// STEP, and WELL |well_name| as the table writes it (a folder part such as
// "NO 15/" included). STRT and STOP hold 0.0 until WriteDepthRange replaces
// them. Returns the byte offset of the STRT line.
std::int64_t WriteLasHeader(DiskFile& file, const TableHeader& header,
                            double depth_step, const String& well_name);

// Overwrites the STRT and STOP lines at |strt_offset| with the well's first
// and last depth in |depth_unit| ('M' or 'F', as the header was written):
// 58 bytes, the file's length unchanged. Both depths must lie within the
// depth-key range.
void WriteDepthRange(DiskFile& file, std::int64_t strt_offset, char depth_unit,
                     double first_depth, double last_depth);

#endif  // ZONE2LAS_CONVERT_LAS_HEADER_H_
