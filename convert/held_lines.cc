#include "convert/held_lines.h"

#include "convert/table_input.h"
#include "io/line_reader.h"

bool ReadDeferredLines(TableCopy& copy, DiskFile& table, long header_line,
                       const Options& options, const TableHeader& header,
                       std::optional<DelimitedTable>& delimited,
                       WellFiles& wells, std::deque<HeldLine>* held,
                       Reporter& reporter) {
  std::string err;
  if (!copy.Rewind(table, &err)) {
    reporter.Report("%s: cannot read it again: %s", options.table_name,
                    err.c_str());
    return false;
  }
  LineReader reader(copy.Source(table));
  String line;
  DataLine data;
  for (;;) {
    const LineReader::Status status = reader.Next(&line, &err);
    if (status == LineReader::Status::kEnd) return true;
    if (status == LineReader::Status::kFailed) {
      reporter.Report("%s: cannot read it again: %s", options.table_name,
                      err.c_str());
      return false;
    }
    // The header, and the lines before it, were read once.
    if (reader.line_number() <= header_line) continue;
    if (status != LineReader::Status::kText || line.IsBlank() ||
        IsComment(line, options.comment))
      continue;
    if (TakeApart(line, reader.length(), header, delimited, options.depth_step,
                  &data, &err) &&
        wells.IsDeferred(data.well))
      held->emplace_back(reader.line_number(), line, data);
  }
}

void PicksToUnits(const std::vector<std::size_t>& order,
                  const std::vector<std::int32_t>& top_key,
                  std::deque<HeldLine>& held, std::vector<std::size_t>* units,
                  PickNotes* notes) {
  std::vector<std::size_t> starts;
  for (std::size_t n = 0; n < order.size(); ++n) {
    const bool last_at_depth =
        n + 1 == order.size() || top_key[order[n + 1]] != top_key[order[n]];
    if (last_at_depth) {
      starts.push_back(order[n]);
      continue;
    }
    if (notes->hidden++ == 0 || held[order[n]].number < notes->hidden_line)
      notes->hidden_line = held[order[n]].number;
  }
  if (starts.size() < 2) {
    const HeldLine& first = held[order.front()];
    if (notes->lonely++ == 0) {
      notes->lonely_line = first.number;
      notes->lonely_well = first.well.GetText();
    }
    return;
  }
  for (std::size_t n = 0; n + 1 < starts.size(); ++n) {
    HeldLine& unit = held[starts[n]];
    const HeldLine& next = held[starts[n + 1]];
    unit.has_unit_bottom = true;
    unit.unit_bottom = next.top;
    unit.unit_bottom_text = next.top_text;
    units->push_back(starts[n]);
  }
}

void ReportPickNotes(const PickNotes& notes, Reporter& reporter) {
  if (notes.hidden > 0) {
    reporter.SetLineNumber(notes.hidden_line);
    reporter.NoteLine(
        "%ld pick%s stand%s at the depth of a later pick of %s well and "
        "give%s no unit: the last pick at a depth gives its unit",
        notes.hidden, notes.hidden == 1 ? "" : "s",
        notes.hidden == 1 ? "s" : "", notes.hidden == 1 ? "its" : "their",
        notes.hidden == 1 ? "s" : "");
  }
  if (notes.lonely > 0) {
    reporter.SetLineNumber(notes.lonely_line);
    reporter.NoteLine(
        "well \"%s\" has fewer than two picks at different depths and gets "
        "no file; %ld well%s of this run get%s none (a last pick at total "
        "depth gives the deepest unit its base)",
        notes.lonely_well.c_str(), notes.lonely, notes.lonely == 1 ? "" : "s",
        notes.lonely == 1 ? "s" : "");
  }
}
