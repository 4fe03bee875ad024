#include "convert/converter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "convert/data_line.h"
#include "convert/delimited_table.h"
#include "convert/depth_key.h"
#include "convert/held_lines.h"
#include "convert/las_format.h"
#include "convert/report.h"
#include "convert/resample.h"
#include "convert/returning_lines.h"
#include "convert/standard_run.h"
#include "convert/table_copy.h"
#include "convert/table_input.h"
#include "convert/well_files.h"
#include "convert/well_names.h"
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

// The most gap rows a well that comes back after other wells' lines has
// made at once; see WellFiles::ReturnsAcrossGap.
constexpr double kMostBridgedRows = 1000.0;

// The table's way of taking a held line apart again.
struct LineParts {
  const TableHeader& header;
  std::optional<DelimitedTable>& delimited;
  double depth_step;
};

// Writes the lines that waited for their wells' turn, each well's together
// in its file, reopened where its rows end.
void WriteReturningLines(ReturningLines& returning, const LineParts& parts,
                         WellFiles& wells, std::optional<StandardRun>& standard,
                         const String& null_row_tail, Reporter& reporter) {
  DataLine data;
  std::string err;
  returning.TakeAll([&](long number, const String& text) {
    if (platform::PendingInterrupt() != 0) return;
    reporter.SetLineNumber(number);
    // The line was taken apart and accepted once already. Its well may have
    // been set aside since, or have failed: then it is skipped.
    if (!TakeApart(text, parts.header, parts.delimited, parts.depth_step, &data,
                   &err) ||
        !wells.SwitchTo(data.well))
      return;
    WriteRows(data, number, wells, standard, parts.depth_step, null_row_tail,
              reporter);
  });
}

// Writes |held|: each well's lines after those of the wells whose first
// line comes before, stably sorted by top, as if the table had held them
// so; each file keeps the spelling of its well's first line. |picks|: the
// lines are a tops table's picks, made into units first.
void WriteHeldLines(std::deque<HeldLine>& held, const LineParts& parts,
                    const Options& options, WellFiles& wells,
                    std::optional<StandardRun>& standard,
                    const String& null_row_tail,
                    const std::map<const void*, long>& deferred_at,
                    Reporter& reporter) {
  // A well is known by the file its name reaches.
  std::map<const void*, std::size_t> first_of_well;
  std::vector<std::size_t> first(held.size());
  std::vector<std::int32_t> top_key(held.size());
  for (std::size_t i = 0; i < held.size(); ++i) {
    first[i] =
        first_of_well.emplace(wells.Identity(held[i].well), i).first->second;
    top_key[i] = DepthKey(held[i].top);
  }
  std::vector<std::size_t> order(held.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) {
                     if (first[a] != first[b]) return first[a] < first[b];
                     return top_key[a] < top_key[b];
                   });
  if (parts.header.picks) {
    PickNotes notes;
    std::vector<std::size_t> units;
    for (std::size_t n = 0; n < order.size();) {
      std::size_t end = n;
      while (end < order.size() && first[order[end]] == first[order[n]]) ++end;
      PicksToUnits(
          std::vector<std::size_t>(order.begin() + n, order.begin() + end),
          top_key, held, &units, &notes);
      n = end;
    }
    order = units;
    ReportPickNotes(notes, reporter);
  }
  wells.EndDeferral();
  std::string err;
  long previous_number = 0;
  String text;
  DataLine data;
  for (std::size_t n = 0; n < order.size(); ++n) {
    if (platform::PendingInterrupt() != 0) return;
    const HeldLine& held_line = held[order[n]];
    const std::size_t well_first = first[order[n]];
    if (n == 0 || well_first != first[order[n - 1]]) previous_number = 0;
    reporter.SetLineNumber(held_line.number);
    // The line was taken apart once already, and is again alike.
    text.Assign(held_line.text.data(),
                static_cast<std::uint32_t>(held_line.text.size()));
    if (!TakeApart(text, parts.header, parts.delimited, parts.depth_step, &data,
                   &err))
      continue;
    if (held_line.has_unit_bottom) {
      data.bottom = held_line.unit_bottom;
      data.bottom_text.Assign(held_line.unit_bottom_text.c_str());
    }
    if (!wells.Accepts(data, &err)) {
      reporter.ReportLine("%s (line %ld)", err.c_str(), previous_number);
      continue;
    }
    previous_number = held_line.number;
    // The file's WELL line spells the well as its first line does.
    if (!wells.SwitchTo(held[well_first].well)) continue;
    const auto deferred = deferred_at.find(wells.Identity(held_line.well));
    WriteRows(
        data, held_line.number, wells, standard, options.depth_step,
        null_row_tail, reporter,
        deferred != deferred_at.end() && held_line.number < deferred->second);
  }
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
  if (const int refused =
          ReadHeader(reader, options, reporter, &delimited, &header))
    return refused;
  if (const int signal = platform::PendingInterrupt())
    return Interrupted(signal);
  const String null_row_tail = NullRowTail(header.attribute_count());
  WellFiles wells(reporter, header, options.depth_step,
                  table.GetFullName().GetText(),
                  options.output_dir != nullptr ? options.output_dir : "",
                  standard ? &*standard : nullptr);
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
  // Each well set aside and the line that set it aside: its lines before
  // that one were written, and noted, once already.
  std::map<const void*, long> deferred_at;
  // The lines written once the table has been read: the picks of a tops
  // table, or the lines of wells set aside.
  std::deque<HeldLine> held;
  // The lines of wells that come back after other wells' lines.
  ReturningLines returning;
  const LineParts parts{header, delimited, options.depth_step};
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
      copy.Keep(line.GetText(), static_cast<std::size_t>(line.Length()));
    else
      copy.Keep("\n", 1);
    if (status == LineReader::Status::kText &&
        (line.IsBlank() || IsComment(line, options.comment)))
      continue;
    any_data_line = true;
    LineFacts facts;
    const bool taken = status == LineReader::Status::kText &&
                       TakeApart(line, header, delimited, options.depth_step,
                                 &data, &err, &facts);
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
      if (returning.Full())
        WriteReturningLines(returning, parts, wells, standard, null_row_tail,
                            reporter);
      continue;
    }
    // A well that is refused is reported once, when it first comes.
    if (!wells.SwitchTo(data.well)) continue;
    WriteRows(data, reader.line_number(), wells, standard, options.depth_step,
              null_row_tail, reporter);
  }
  wells.EndOfTable();
  WriteReturningLines(returning, parts, wells, standard, null_row_tail,
                      reporter);
  if (wells.AnyDeferred() &&
      !ReadDeferredLines(copy, source, header_line, options, header, delimited,
                         wells, &held, reporter)) {
    wells.DiscardAll();
    return kExitFailure;
  }
  if (!held.empty())
    WriteHeldLines(held, parts, options, wells, standard, null_row_tail,
                   deferred_at, reporter);
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
