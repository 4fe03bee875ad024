#include "convert/las_header.h"

#include <cstdio>

#include "convert/well_state.h"

std::int64_t WriteLasHeader(DiskFile& file, String& header_line,
                            double depth_step) {
  std::FILE* out = file.GetStream();
  // The colons of VERS and WRAP stand in column 36.
  std::fputs("~Version\n", out);
  std::fputs("VERS.                          2.0 :CWLS LOG ASCII STANDARD - VERSION 2.0\n", out);
  std::fputs("WRAP.                          NO  : ONE LINE PER DEPTH STEP\n", out);
  std::fputs("~Well\n", out);

  // STRT and STOP are placeholders of 29 bytes each until the well's depth
  // range is known; WriteDepthRange overwrites them in place.
  const std::int64_t strt_offset = file.Tell();
  std::fprintf(out, "STRT.M%20f :\n", 0.0);
  std::fprintf(out, "STOP.M%20f :\n", 0.0);
  std::fprintf(out, "STEP.M%20f :\n", depth_step);
  std::fprintf(out, "NULL. %20s :\n", kNullText);
  const String title = file.GetTitle();
  std::fprintf(out, "WELL. %20s :\n", title.GetText());

  std::fputs("~Curve\n", out);
  std::fputs("DEPT.M :\n", out);
  std::fputs("ZONELOG. :\n", out);
  std::fputs("DEFINTERV. :\n", out);
  // Well, top, bottom and zone are the fixed columns of every row.
  for (int i = 0; i < 4; ++i)
    header_line.NextToken(kWhiteSpace);
  // The empty token that ends the names also puts the tokenizer back at rest,
  // so the next file's header lists the same curves.
  for (String name = header_line.NextToken(kWhiteSpace); !name.IsBlank();
       name.Assign(header_line.NextToken(kWhiteSpace))) {
    std::fprintf(out, "%s. :\n", name.GetText());
  }
  std::fputs("~Ascii\n", out);
  return strt_offset;
}

void WriteDepthRange(DiskFile& file, std::int64_t strt_offset,
                     double first_depth, double last_depth) {
  file.Seek(strt_offset);
  std::FILE* out = file.GetStream();
  if (!out)
    return;
  std::fprintf(out, "STRT.M%20f :\n", first_depth);
  std::fprintf(out, "STOP.M%20f :\n", last_depth);
}
