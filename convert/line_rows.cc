#include "convert/line_rows.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/depth_key.h"
#include "convert/las_format.h"
#include "convert/resample.h"
#include "convert/table_input.h"
#include "platform/process.h"

LineRows::LineRows(const TableHeader& header,
                   std::optional<DelimitedTable>& delimited, double depth_step,
                   WellFiles& wells, std::optional<StandardRun>& standard,
                   Reporter& reporter)
    : header_(header),
      delimited_(delimited),
      depth_step_(depth_step),
      wells_(wells),
      standard_(standard),
      reporter_(reporter),
      null_row_tail_(NullRowTail(header.attribute_count())) {}

void LineRows::Write(const DataLine& line, long number, bool noted) {
  if (standard_) {
    standard_->Rows(line, number, wells_.State(), wells_.Rows(), noted);
    return;
  }
  if (!ResampleLine(line, wells_.State(), wells_.Rows(), depth_step_,
                    null_row_tail_) &&
      !noted) {
    reporter_.NoteLine(
        "the interval %s to %s is too thin to carry a row of its own",
        line.top_text.GetText(), line.bottom_text.GetText());
  }
}

bool LineRows::TakeApartAgain(const String& text, DataLine* line) {
  return TakeApart(text, static_cast<std::size_t>(text.Length()), header_,
                   delimited_, depth_step_, line, &err_);
}

void LineRows::WriteReturning(ReturningLines& returning) {
  DataLine line;
  returning.TakeAll([&](long number, const String& text) {
    if (platform::PendingInterrupt() != 0) return;
    reporter_.SetLineNumber(number);
    // The line was accepted once already. Its well may have been set aside
    // since, or have failed: then it is skipped.
    if (!TakeApartAgain(text, &line) || !wells_.SwitchTo(line.well)) return;
    Write(line, number);
  });
}

void LineRows::WriteHeld(std::deque<HeldLine>& held,
                         const std::map<const void*, long>& deferred_at) {
  // A well is known by the file its name reaches.
  std::map<const void*, std::size_t> first_of_well;
  std::vector<std::size_t> first(held.size());
  std::vector<std::int32_t> top_key(held.size());
  for (std::size_t i = 0; i < held.size(); ++i) {
    first[i] =
        first_of_well.emplace(wells_.Identity(held[i].well), i).first->second;
    top_key[i] = DepthKey(held[i].top);
  }
  std::vector<std::size_t> order(held.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) {
                     if (first[a] != first[b]) return first[a] < first[b];
                     return top_key[a] < top_key[b];
                   });
  if (header_.picks) {
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
    ReportPickNotes(notes, reporter_);
  }
  wells_.EndDeferral();
  long previous_number = 0;
  String text;
  DataLine data;
  for (std::size_t n = 0; n < order.size(); ++n) {
    if (platform::PendingInterrupt() != 0) return;
    const HeldLine& held_line = held[order[n]];
    const std::size_t well_first = first[order[n]];
    if (n == 0 || well_first != first[order[n - 1]]) previous_number = 0;
    reporter_.SetLineNumber(held_line.number);
    // The line was taken apart once already, and is again alike.
    text.Assign(held_line.text.data(),
                static_cast<std::uint32_t>(held_line.text.size()));
    if (!TakeApartAgain(text, &data)) continue;
    if (held_line.has_unit_bottom) {
      data.bottom = held_line.unit_bottom;
      data.bottom_text.Assign(held_line.unit_bottom_text.c_str());
    }
    if (!wells_.Accepts(data, &err_)) {
      reporter_.ReportLine("%s (line %ld)", err_.c_str(), previous_number);
      continue;
    }
    previous_number = held_line.number;
    // The file's WELL line spells the well as its first line does.
    if (!wells_.SwitchTo(held[well_first].well)) continue;
    const auto deferred = deferred_at.find(wells_.Identity(held_line.well));
    Write(data, held_line.number,
          deferred != deferred_at.end() && held_line.number < deferred->second);
  }
}
