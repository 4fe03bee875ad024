#include "convert/converter.h"

#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <new>
#include <optional>
#include <string>

#include "convert/data_line.h"
#include "convert/delimited_table.h"
#include "convert/depth_key.h"
#include "convert/held_lines.h"
#include "convert/las_well_format.h"
#include "convert/line_rows.h"
#include "convert/report.h"
#include "convert/returning_lines.h"
#include "convert/standard_run.h"
#include "convert/table_copy.h"
#include "convert/table_input.h"
#include "convert/well_files.h"
#include "io/disk_file.h"
#include "io/line_reader.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "text/string.h"

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
  std::string err;
  if (output_dir == nullptr || OutputDirectoryOpens(output_dir, &err))
    return true;
  reporter.Report("output directory \"%s\": %s", output_dir, err.c_str());
  return false;
}

// Runs that publish into one folder take turns, so that the last to publish
// has all of its files in place. False when a stop signal ended the wait for
// another run; a lock that cannot be had for another reason is noted and the
// files are published without it.
bool LockPublication(WellFiles& wells, const Options& options,
                     Reporter& reporter) {
  const char* folder = options.output_dir != nullptr ? options.output_dir : ".";
  std::string err;
  bool busy = false;
  if (wells.LockPublication(false, &busy, &err)) return true;
  if (busy) {
    reporter.Note("waiting for another run publishing in %s", folder);
    if (wells.LockPublication(true, &busy, &err)) return true;
    if (platform::PendingInterrupt() != 0) return false;
  }
  reporter.Note(
      "%s: cannot take the lock between runs (%s); the files are "
      "published without it",
      folder, err.c_str());
  return true;
}

// The most gap rows a well that comes back after other wells' lines has
// made at once; see WellFiles::ReturnsAcrossGap.
constexpr double kMostBridgedRows = 1000.0;

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
  if (const int refused =
          ReadHeader(reader, options, reporter, &delimited, &header))
    return refused;
  if (const int signal = platform::PendingInterrupt())
    return Interrupted(signal);
  // The program's usual files, or standard ones.
  std::optional<LasWellFormat> las;
  if (!standard) las.emplace(header, options.depth_step);
  WellFormat& format = standard ? static_cast<WellFormat&>(*standard) : *las;
  WellFiles wells(reporter, format, table.GetFullName().GetText(),
                  options.output_dir != nullptr ? options.output_dir : "");
  wells.SetFlatNames(options.flat_names);
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

  // See kMostBridgedRows, in depth keys at this step. A step so large that
  // the gap cannot be held in a key difference bridges every gap.
  const double bridged = ScaledDepth(kMostBridgedRows * options.depth_step);
  const std::int64_t most_bridged_keys =
      bridged < 0x1p62 ? static_cast<std::int64_t>(bridged)
                       : std::numeric_limits<std::int64_t>::max();
  bool any_data_line = false;
  // Each well set aside and its first line whose rows were not written: its
  // lines before that one were written, and noted, once already.
  std::map<const void*, long> deferred_at;
  // The lines written once the table has been read: the picks of a tops
  // table, or the lines of wells set aside.
  std::deque<HeldLine> held;
  // The lines of wells that come back after other wells' lines.
  ReturningLines returning;
  LineRows rows(header, delimited, options.depth_step, wells, standard,
                reporter);
  // Lines with more fields than the header names, and the first of them.
  long wide_lines = 0;
  long first_wide_line = 0;
  // Whether a refused depth has said how to choose the columns.
  bool hinted = false;
  String line;
  DataLine data;
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
      copy.Keep(line.GetText(), reader.length());
    else
      copy.Keep("\n", 1);
    if (status == LineReader::Status::kText &&
        (line.IsBlank() || IsComment(line, options.comment)))
      continue;
    any_data_line = true;
    LineFacts facts;
    const bool taken = status == LineReader::Status::kText &&
                       TakeApart(line, reader.length(), header, delimited,
                                 options.depth_step, &data, &err, &facts);
    if (facts.wide && wide_lines++ == 0) first_wide_line = reader.line_number();
    if (!taken) {
      if (facts.not_a_number != 0)
        err += DepthColumnHint(header, facts.not_a_number, &hinted);
      reporter.ReportLine("%s", err.c_str());
      continue;
    }
    // A tops table's picks wait for the whole table: a unit runs to the
    // next pick of its well, wherever it stands.
    if (header.picks) {
      held.emplace_back(reader.line_number(), line, data);
      continue;
    }
    // A line above its well's line before: the well goes upward or
    // overlaps, and is taken again in depth order at the end.
    if (!wells.Accepts(data, &err)) {
      deferred_at.emplace(wells.Identity(data.well),
                          wells.Defer(data.well, reader.line_number()));
      continue;
    }
    // A well that comes back far below its last line (a shuffled table):
    // rather than bridge the gap with rows that its later lines may replace,
    // it is taken again at the end too. The files are the same either way.
    if (wells.ReturnsAcrossGap(data, most_bridged_keys)) {
      deferred_at.emplace(wells.Identity(data.well),
                          wells.Defer(data.well, reader.line_number()));
      continue;
    }
    // A well that comes back after other wells' lines waits for its turn.
    if (wells.Waits(data, reader.line_number())) {
      returning.Keep(reader.line_number(), line, wells.Identity(data.well));
      if (returning.Full()) rows.WriteReturning(returning);
      continue;
    }
    // A well that is refused is reported once, when it first comes.
    if (!wells.SwitchTo(data.well)) continue;
    rows.Write(data, reader.line_number());
  }
  wells.EndOfTable();
  rows.WriteReturning(returning);
  if (const int signal = platform::PendingInterrupt())
    return Interrupted(signal);
  if (wells.AnyDeferred() &&
      !ReadDeferredLines(copy, source, header_line, options, header, delimited,
                         wells, &held, reporter)) {
    wells.DiscardAll();
    return kExitFailure;
  }
  if (!held.empty()) rows.WriteHeld(held, deferred_at);
  wells.CompleteAll();
  // A text that could not be stored while the files were completed is lost
  // data too.
  if (platform::AllocationFailureCount() != 0) return OutOfMemory(reporter);
  if (!LockPublication(wells, options, reporter))
    return Interrupted(platform::PendingInterrupt());
  // From here on a stop signal waits until every file is in place.
  platform::HoldInterrupts(true);
  if (const int signal = platform::PendingInterrupt())
    return Interrupted(signal);
  copy.Drop();
  if (wide_lines > 0) {
    reporter.SetLineNumber(first_wide_line);
    reporter.NoteLine(
        "%ld line%s more fields than the header names; the extra fields are "
        "ignored (a zone or value holding spaces belongs in quotes in a CSV "
        "table)",
        wide_lines, wide_lines == 1 ? " has" : "s have");
  }
  wells.Publish();
  if (const int signal = platform::PendingInterrupt()) {
    reporter.Note(
        "stopped by signal %d while its files were put in place; every file "
        "of this run was published",
        signal);
    return Interrupted(signal);
  }
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
