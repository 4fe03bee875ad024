#include "convert/converter.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
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
#include "convert/table_copy.h"
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

// Splits a data line by the table's delimiter into |fields| (those of the
// line before, reused) and checks them the same way whatever the delimiter.
// False, with the reason in |err|, for a line that cannot be converted.
bool TakeApart(const String& line, const TableHeader& header,
               std::optional<DelimitedTable>& delimited,
               double depth_step, std::vector<String>* fields, DataLine* data,
               std::string* err) {
  if (delimited) {
    if (!delimited->SplitData(line, header.attribute_count(), fields, err))
      return false;
  } else {
    if (!CheckLineEnd(line.GetText(), static_cast<std::size_t>(line.Length()),
                      err))
      return false;
    SplitWhiteSpaceFields(line, fields);
  }
  return ParseDataFields(*fields, header.attribute_count(), depth_step, data,
                         err);
}

// The rows of an accepted line, in its well's file, the current one. A
// line |noted| before (written once, before its well was set aside) gets no
// note again.
void WriteRows(const DataLine& data, long line_number, WellFiles& wells,
               std::optional<StandardRun>& standard, double depth_step,
               const String& null_row_tail, Reporter& reporter,
               bool noted = false) {
  if (standard) {
    standard->Rows(data, line_number, wells.State(), wells.Rows(), noted);
    return;
  }
  if (!ResampleLine(data, wells.State(), wells.Rows(), depth_step,
                    null_row_tail) &&
      !noted) {
    reporter.NoteLine(
        "the interval %s to %s is too thin to carry a row of its own",
        data.top_text.GetText(), data.bottom_text.GetText());
  }
}

// A line of a well set aside, kept for the end of the run.
struct HeldLine {
  long number;
  DataLine data;
};

// The wells set aside, taken again once the table has been read: their lines
// read anew from the table (quietly: each was reported on the first
// reading), stably sorted by top within each well, and written as if the
// table had held them so. Each file keeps the spelling of its well's first
// line. False once a failure is reported (the table cannot be read again).
bool ConvertDeferredWells(TableCopy& copy, DiskFile& table, long header_line,
                          const Options& options, const TableHeader& header,
                          std::optional<DelimitedTable>& delimited,
                          WellFiles& wells,
                          std::optional<StandardRun>& standard,
                          const String& null_row_tail,
                          const std::map<const void*, long>& deferred_at,
                          Reporter& reporter) {
  std::string err;
  if (!copy.Rewind(table, &err)) {
    reporter.Report("%s: cannot read it again: %s", options.table_name,
                    err.c_str());
    return false;
  }
  LineReader reader(copy.Source(table));
  std::deque<HeldLine> held;
  String line;
  DataLine data;
  std::vector<String> fields;
  for (;;) {
    const LineReader::Status status = reader.Next(&line, &err);
    if (status == LineReader::Status::kEnd) break;
    if (status == LineReader::Status::kFailed) {
      reporter.Report("%s: cannot read it again: %s", options.table_name,
                      err.c_str());
      return false;
    }
    // The header, and the lines before it, were read once.
    if (reader.line_number() <= header_line) continue;
    if (status != LineReader::Status::kText || line.IsBlank()) continue;
    if (TakeApart(line, header, delimited, options.depth_step, &fields, &data,
                  &err) &&
        wells.IsDeferred(data.well))
      held.push_back(HeldLine{reader.line_number(), data});
  }
  // Each well's lines after those of the wells that came before it, by top,
  // ties in table order. A well is known by the file its name reaches.
  std::map<const void*, std::size_t> first_of_well;
  std::vector<std::size_t> first(held.size());
  std::vector<std::int32_t> top_key(held.size());
  for (std::size_t i = 0; i < held.size(); ++i) {
    first[i] = first_of_well.emplace(wells.Identity(held[i].data.well), i)
                   .first->second;
    top_key[i] = DepthKey(held[i].data.top);
  }
  std::vector<std::size_t> order(held.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) {
                     if (first[a] != first[b]) return first[a] < first[b];
                     return top_key[a] < top_key[b];
                   });
  wells.EndDeferral();
  long previous_number = 0;
  for (std::size_t n = 0; n < order.size(); ++n) {
    const HeldLine& held_line = held[order[n]];
    const std::size_t well_first = first[order[n]];
    if (n == 0 || well_first != first[order[n - 1]]) previous_number = 0;
    reporter.SetLineNumber(held_line.number);
    if (!wells.Accepts(held_line.data, &err)) {
      reporter.ReportLine("%s (line %ld)", err.c_str(), previous_number);
      continue;
    }
    previous_number = held_line.number;
    // The file's WELL line spells the well as its first line does.
    if (!wells.SwitchTo(held[well_first].data.well)) continue;
    WriteRows(held_line.data, held_line.number, wells, standard,
              options.depth_step, null_row_tail, reporter,
              held_line.number < deferred_at.at(wells.Identity(
                                     held_line.data.well)));
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
  DiskFile& source = standard ? standard->Source(table) : table;
  LineReader reader(source);
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
  // Wells whose lines go upward are read again at the end: a table that
  // cannot go back (a pipe) keeps a copy of its lines as they are read, in
  // the run's private directory. Declared after the wells' files, so that it
  // goes before their private directory.
  const long header_line = reader.line_number();
  TableCopy copy;
  if (!TableCopy::CanSeek(source)) {
    std::string err;
    platform::Directory* partial = wells.PrivateDirectory(&err);
    if (partial == nullptr || !copy.Follow(*partial, header_line, &err)) {
      reporter.Report("%s: cannot keep a copy of it: %s", options.table_name,
                      err.c_str());
      return kExitFailure;
    }
  }

  bool any_data_line = false;
  // Each well set aside and the line that set it aside: its lines before
  // that one were written, and noted, once already.
  std::map<const void*, long> deferred_at;
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
    // A line that cannot be used as text stands in the copy as an empty one.
    if (status == LineReader::Status::kText)
      copy.Keep(line.GetText(), static_cast<std::size_t>(line.Length()));
    else
      copy.Keep("\n", 1);
    if (status == LineReader::Status::kText && line.IsBlank()) continue;
    any_data_line = true;
    if (status != LineReader::Status::kText ||
        !TakeApart(line, header, delimited, options.depth_step, &fields, &data,
                   &err)) {
      reporter.ReportLine("%s", err.c_str());
      continue;
    }
    // A line above its well's line before: the well goes upward or
    // overlaps, and is taken again in depth order at the end.
    if (!wells.Accepts(data, &err)) {
      wells.Defer(data.well);
      deferred_at.emplace(wells.Identity(data.well), reader.line_number());
      continue;
    }
    // A well that is refused is reported once, when it first comes.
    if (!wells.SwitchTo(data.well)) continue;
    WriteRows(data, reader.line_number(), wells, standard, options.depth_step,
              null_row_tail, reporter);
  }
  if (wells.AnyDeferred() &&
      !ConvertDeferredWells(copy, source, header_line, options, header,
                            delimited, wells, standard, null_row_tail,
                            deferred_at, reporter)) {
    wells.DiscardAll();
    return kExitFailure;
  }
  if (const int signal = platform::PendingInterrupt())
    return Interrupted(signal);
  copy.Drop();
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
