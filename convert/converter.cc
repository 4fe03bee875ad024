#include "convert/converter.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#include "convert/data_line.h"
#include "convert/las_format.h"
#include "convert/report.h"
#include "convert/resample.h"
#include "convert/well_files.h"
#include "io/disk_file.h"
#include "io/line_reader.h"
#include "platform/platform.h"
#include "text/string.h"

namespace {

// Every row outside an interval ends in this tail: DEFINTERV 0 and a NULL in
// every attribute cell.
// Assembled once in a buffer of its full length, so that a header of any
// width costs time in proportion to it.
String NullRowTail(int attribute_count) {
  const std::size_t cell = std::strlen(kNullText) + 2;
  std::string tail;
  tail.reserve(4 + cell * static_cast<std::size_t>(attribute_count) + 1);
  tail.append("0   ");
  for (int i = 0; i < attribute_count; ++i)
    tail.append(kNullText).append("  ");
  tail.push_back('\n');
  return String(tail.c_str());
}

// Opens the zone table for reading; false once the failure is reported.
bool OpenTable(DiskFile& table, Reporter& reporter) {
  const char* name = reporter.table_name();
  table.SetName(name);
  if (IsBlankText(name)) {
    reporter.Report("the zone table's name is blank");
    return false;
  }
  if (table.GetFullName().Length() == 0) {
    reporter.Report("%s: cannot resolve the name to a full path", name);
    return false;
  }
  errno = 0;
  if (!table.OpenRead(false)) {
    reporter.Report("%s: cannot open: %s", name, SystemReason(errno).c_str());
    return false;
  }
  return true;
}

// Reads the header line, the first line that is not blank; false once the
// failure is reported.
bool ReadHeader(LineReader& reader, Reporter& reporter, TableHeader* header) {
  String line;
  std::string err;
  for (;;) {
    const LineReader::Status status = reader.Next(&line, &err);
    reporter.SetLineNumber(reader.line_number());
    switch (status) {
      case LineReader::Status::kFailed:
        reporter.Report("%s: %s", reporter.table_name(), err.c_str());
        return false;
      case LineReader::Status::kEnd:
        reporter.Report("%s: no header line: the file is empty or blank",
                        reporter.table_name());
        return false;
      case LineReader::Status::kUnreadable:
        reporter.ReportLine("header %s", err.c_str());
        return false;
      case LineReader::Status::kText:
        if (line.IsBlank())
          continue;
        if (!ParseHeaderLine(line, header, &err)) {
          reporter.ReportLine("%s", err.c_str());
          return false;
        }
        return true;
    }
  }
}

}  // namespace

// The road of one line: read whole, skipped when blank, taken apart and
// checked, offered to its well, and resampled into the well's file.
int Convert(const Options& options) {
  Reporter reporter(options.table_name);
  DiskFile table;
  TableHeader header;
  if (!OpenTable(table, reporter))
    return kExitFailure;
  LineReader reader(table);
  if (!ReadHeader(reader, reporter, &header))
    return kExitFailure;
  const String null_row_tail = NullRowTail(header.attribute_count());
  WellFiles wells(reporter, header, options.depth_step,
                  table.GetFullName().GetText());

  bool any_data_line = false;
  String line;
  DataLine data;
  std::string err;
  for (;;) {
    const LineReader::Status status = reader.Next(&line, &err);
    reporter.SetLineNumber(reader.line_number());
    if (status == LineReader::Status::kEnd)
      break;
    if (status == LineReader::Status::kFailed) {
      reporter.Report("%s: %s", options.table_name, err.c_str());
      wells.Discard();
      return kExitFailure;
    }
    if (status == LineReader::Status::kText && line.IsBlank())
      continue;
    any_data_line = true;
    if (status == LineReader::Status::kUnreadable ||
        !ParseDataLine(line, header.attribute_count(), options.depth_step,
                       &data, &err) ||
        !wells.Accepts(data, &err)) {
      reporter.ReportLine("%s", err.c_str());
      continue;
    }
    // A well that is refused is reported once, when it first comes.
    if (!wells.SwitchTo(data.well))
      continue;
    if (!ResampleLine(data, wells.State(), wells.File(), options.depth_step,
                      null_row_tail)) {
      reporter.NoteLine(
          "the interval %s to %s is too thin to carry a row of its own",
          data.top_text.GetText(), data.bottom_text.GetText());
    }
  }
  wells.FinishCurrent();
  if (!any_data_line)
    reporter.Note("%s: no data lines; no file written", options.table_name);
  // A text that could not be stored is lost data, even between wells.
  if (reporter.failed() || platform::AllocationFailureCount() != 0)
    return kExitFailure;
  return kExitSuccess;
}

int RunZone2Las(int argc, char* argv[]) {
  Options options;
  int exit_status = kExitSuccess;
  if (!ParseCommandLine(argc, argv, &options, &exit_status))
    return exit_status;
  return Convert(options);
}
