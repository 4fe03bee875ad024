#include "convert/las_header.h"

#include "convert/las_format.h"
#include "text/string.h"

namespace {

// The STRT and STOP lines, 29 bytes each: "%20f" keeps their length the same
// for every depth within the depth-key range, so the placeholders can be
// overwritten in place.
void WriteStartAndStop(DiskFile& file, char depth_unit, double first_depth,
                       double last_depth) {
  file.Print("STRT.%c%20f :\n", depth_unit, first_depth);
  file.Print("STOP.%c%20f :\n", depth_unit, last_depth);
}

}  // namespace

std::int64_t WriteLasHeader(DiskFile& file, const TableHeader& header,
                            double depth_step, const String& well_name) {
  // The colons of VERS and WRAP stand in column 36.
  file.Write("~Version\n");
  file.Write(
      "VERS.                          2.0 :CWLS LOG ASCII STANDARD - VERSION "
      "2.0\n");
  file.Write("WRAP.                          NO  : ONE LINE PER DEPTH STEP\n");
  file.Write("~Well\n");

  const std::int64_t strt_offset = file.Tell();
  WriteStartAndStop(file, header.depth_unit, 0.0, 0.0);
  file.Print("STEP.%c%20f :\n", header.depth_unit, depth_step);
  file.Print("NULL. %20s :\n", kNullText);
  file.Print("WELL. %20s :\n",
             well_name.GetText() != nullptr ? well_name.GetText() : "");

  file.Write("~Curve\n");
  file.Print("DEPT.%c :\n", header.depth_unit);
  file.Write("ZONELOG. :\n");
  file.Write("DEFINTERV. :\n");
  for (std::size_t i = 0; i < header.attribute_names.size(); ++i) {
    file.Write(header.attribute_names[i]);
    file.Write(". :\n");
  }
  file.Write("~Ascii\n");
  return strt_offset;
}

void WriteDepthRange(DiskFile& file, std::int64_t strt_offset, char depth_unit,
                     double first_depth, double last_depth) {
  file.Seek(strt_offset);
  WriteStartAndStop(file, depth_unit, first_depth, last_depth);
}
