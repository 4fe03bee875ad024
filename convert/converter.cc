#include "convert/converter.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "convert/data_line.h"
#include "convert/delimited_table.h"
#include "convert/las_format.h"
#include "convert/line_end.h"
#include "convert/report.h"
#include "convert/resample.h"
#include "convert/standard_run.h"
#include "convert/table_input.h"
#include "convert/well_files.h"
#include "io/disk_file.h"
#include "io/line_reader.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/process.h"
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
  for (int i = 0; i < attribute_count; ++i) tail.append(kNullText).append("  ");
  tail.push_back('\n');
  return String(tail.c_str());
}

}  // namespace

// Opens the zone table for reading; false once the failure is reported.
bool OpenTable(DiskFile& table, Reporter& reporter) {
  const char* name = reporter.table_name();
  std::string err;
  table.SetName(name, &err);
  if (IsBlankText(name)) {
    reporter.Report("the zone table's name is blank");
    return false;
  }
  if (table.GetFullName().Length() == 0) {
    // A full path that was found but could not be stored has no reason.
    if (err.empty()) err = "the full path would not fit";
    reporter.Report("%s: cannot resolve the name to a full path: %s", name,
                    err.c_str());
    return false;
  }
  errno = 0;
  if (!table.OpenRead(false)) {
    reporter.Report("%s: cannot open: %s", name, SystemReason(errno).c_str());
    return false;
  }
  return true;
}

// Spreadsheets start a UTF-8 text with a byte-order mark; it belongs to no
// column name.
void SkipByteOrderMark(String* line) {
  constexpr char kMark[] = "\xEF\xBB\xBF";
  const char* text = line->GetText();
  if (text != nullptr && std::strncmp(text, kMark, 3) == 0) {
    line->Assign(text + 3);
  }
}

// A table whose lines end in a carriage return alone reads as one long line:
// a carriage return with more text after it, other than line ends.
bool HasCarriageReturnLineEnds(const String& line) {
  const char* text = line.GetText();
  if (text == nullptr) return false;
  for (const char* cr = std::strchr(text, '\r'); cr != nullptr;
       cr = std::strchr(cr + 1, '\r')) {
    if (cr[1] != '\0' && cr[1] != '\r' && cr[1] != '\n') return true;
  }
  return false;
}

// Takes the header line apart: splits it as the table is delimited (the
// option's delimiter, or the one the line itself shows) and checks the
// names. Makes |delimited| for a delimited table.
bool ParseHeader(const String& line, const Options& options, Reporter& reporter,
                 std::optional<DelimitedTable>* delimited, TableHeader* header,
                 std::string* err) {
  if (HasCarriageReturnLineEnds(line)) {
    *err =
        "the lines end in a carriage return alone; save the table with LF "
        "or CRLF line ends";
    return false;
  }
  const Delimiter delimiter =
      options.delimiter
          ? *options.delimiter
          : DetectDelimiter(line.GetText(),
                            static_cast<std::size_t>(line.Length()));
  std::vector<String> fields;
  if (delimiter == Delimiter::kSpace) {
    SplitWhiteSpaceFields(line, &fields);
  } else {
    delimited->emplace(delimiter, reporter);
    if (!(*delimited)->SplitHeader(line, &fields, err)) return false;
  }
  return ParseHeaderFields(&fields, header, err);
}

// Reads the header line, the first line that is not blank; false once the
// failure is reported.
bool ReadHeader(LineReader& reader, const Options& options, Reporter& reporter,
                std::optional<DelimitedTable>* delimited, TableHeader* header) {
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
        if (reader.line_number() == 1) SkipByteOrderMark(&line);
        if (line.IsBlank()) continue;
        if (!ParseHeader(line, options, reporter, delimited, header, &err)) {
          reporter.ReportLine("%s", err.c_str());
          return false;
        }
        return true;
    }
  }
}

namespace {

// Reports memory that ran out on the current line; what was in progress is
// gone with the WellFiles that held it.
int OutOfMemory(Reporter& reporter) {
  reporter.ReportLine("out of memory; no file of this run was written");
  return kExitFailure;
}

// The exit status of a run stopped by |signal|: what is in progress is gone
// with the WellFiles that held it.
int Interrupted(int signal) { return 128 + signal; }

// The folder that receives the wells' files must be there before the run
// starts; false once the failure is reported.
bool CheckOutputDirectory(const char* output_dir, Reporter& reporter) {
  if (output_dir == nullptr) return true;
  platform::Directory directory;
  std::string err;
  if (!directory.Open(output_dir, &err)) {
    reporter.Report("output directory \"%s\": %s", output_dir, err.c_str());
    return false;
  }
  return true;
}

// The road of one line: read whole, skipped when blank, taken apart and
// checked, offered to its well, and resampled into the well's file.
int ConvertTable(const Options& options, Reporter& reporter) {
  DiskFile table;
  TableHeader header;
  header.depth_unit = options.depth_unit;
  if (!CheckOutputDirectory(options.output_dir, reporter) ||
      !OpenTable(table, reporter))
    return kExitFailure;
  std::optional<StandardRun> standard;
  if (options.standard) {
    standard.emplace(options, reporter);
    if (const int status = standard->Prepare(table)) return status;
  }
  LineReader reader(standard ? standard->Source(table) : table);
  std::optional<DelimitedTable> delimited;
  if (!ReadHeader(reader, options, reporter, &delimited, &header))
    return kExitFailure;
  if (const int signal = platform::PendingInterrupt())
    return Interrupted(signal);
  const String null_row_tail = NullRowTail(header.attribute_count());
  WellFiles wells(reporter, header, options.depth_step,
                  table.GetFullName().GetText(),
                  options.output_dir != nullptr ? options.output_dir : "",
                  WellFiles::kWaitingBlocks, standard ? &*standard : nullptr);

  bool any_data_line = false;
  String line;
  DataLine data;
  std::vector<String> fields;
  std::string err;
  for (;;) {
    const LineReader::Status status = reader.Next(&line, &err);
    reporter.SetLineNumber(reader.line_number());
    // A stop signal ends the run here, the read it broke off included.
    if (const int signal = platform::PendingInterrupt())
      return Interrupted(signal);
    // A text that could not be stored is lost data: the run is given up,
    // before a line read short could be taken for another fault.
    if (platform::AllocationFailureCount() != 0) return OutOfMemory(reporter);
    if (status == LineReader::Status::kEnd) break;
    if (status == LineReader::Status::kFailed) {
      reporter.Report("%s: %s", options.table_name, err.c_str());
      wells.DiscardAll();
      return kExitFailure;
    }
    if (status == LineReader::Status::kText && line.IsBlank()) continue;
    any_data_line = true;
    // Split by the table's delimiter into the fields of the line before,
    // then checked the same way whatever the delimiter.
    bool split = status == LineReader::Status::kText;
    if (split && delimited) {
      split = delimited->SplitData(line, header.attribute_count(), &fields,
                                   &err);
    } else if (split) {
      split = CheckLineEnd(line.GetText(),
                           static_cast<std::size_t>(line.Length()), &err);
      if (split) SplitWhiteSpaceFields(line, &fields);
    }
    const bool parsed =
        split && ParseDataFields(fields, header.attribute_count(),
                                 options.depth_step, &data, &err);
    if (!parsed || !wells.Accepts(data, &err)) {
      reporter.ReportLine("%s", err.c_str());
      continue;
    }
    // A well that is refused is reported once, when it first comes.
    if (!wells.SwitchTo(data.well)) continue;
    if (standard) {
      standard->Rows(data, reader.line_number(), wells.State(), wells.Rows());
      continue;
    }
    if (!ResampleLine(data, wells.State(), wells.Rows(), options.depth_step,
                      null_row_tail)) {
      reporter.NoteLine(
          "the interval %s to %s is too thin to carry a row of its own",
          data.top_text.GetText(), data.bottom_text.GetText());
    }
  }
  wells.Publish();
  if (standard) standard->Finish();
  if (!any_data_line)
    reporter.Note("%s: no data lines; no file written", options.table_name);
  // A text that could not be stored is lost data, even between wells.
  if (reporter.failed() || platform::AllocationFailureCount() != 0)
    return kExitFailure;
  return kExitSuccess;
}

}  // namespace

int Convert(const Options& options) {
  Reporter reporter(options.table_name);
  try {
    return ConvertTable(options, reporter);
  } catch (const std::bad_alloc&) {
    // The standard containers' way of saying the same.
    return OutOfMemory(reporter);
  }
}

int RunZone2Las(int argc, char* argv[]) {
  Options options;
  int exit_status = kExitSuccess;
  if (!ParseCommandLine(argc, argv, &options, &exit_status)) return exit_status;
  return Convert(options);
}
