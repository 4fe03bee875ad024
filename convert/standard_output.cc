// What a standard run writes into each well's file: the header, whole
// before the first row, then the rows of the grid, each interval's own and
// the null rows between and after them.
#include "convert/standard_run.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "convert/las_format.h"

namespace {

// One header line: "MNEM.UNIT", at least one space, the value, " : " and
// the description. The value may hold a colon: the last one ends it.
constexpr const char kItemFormat[] = "%-10s %20s : %s\n";

void WriteItem(DiskFile& file, const std::string& name_and_unit,
               const std::string& value, const std::string& description) {
  file.Print(kItemFormat, name_and_unit.c_str(), value.c_str(),
             description.c_str());
}

// The same line as a text.
std::string ItemText(const std::string& name_and_unit, const std::string& value,
                     const std::string& description) {
  return FormatText(kItemFormat, name_and_unit.c_str(), value.c_str(),
                    description.c_str());
}

// Sections are told apart by their first letter.
constexpr const char kVersionSection[] =
    "~Version\n"
    "VERS.                          2.0 :CWLS LOG ASCII STANDARD - VERSION "
    "2.0\n"
    "WRAP.                          NO  : ONE LINE PER DEPTH STEP\n";

}  // namespace

std::string StandardRun::RowEnd(const DataLine& line) const {
  std::string row_end("   ");
  const auto zone = IsNull(line.zone) ? zone_codes_.end()
                                      : zone_codes_.find(line.zone.GetText());
  row_end.append(zone != zone_codes_.end() ? std::to_string(zone->second)
                                           : std::string(kNullText));
  row_end.append("   1");
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const Column& column = columns_[i];
    const char* value = line.values[i];
    if (column.role == Role::kItem) continue;
    row_end.append("   ");
    if (column.role == Role::kCurve || IsNull(value)) {
      row_end.append(value);
      continue;
    }
    const auto code = column.codes.find(value);
    row_end.append(code != column.codes.end() ? std::to_string(code->second)
                                              : std::string(kNullText));
  }
  row_end.push_back('\n');
  return row_end;
}

void StandardRun::Rows(const DataLine& line, long line_number, WellState& state,
                       BlockWriter& out, bool noted) {
  ++state.line_count;
  state.bottom = line.bottom;
  GridRows inside = RowsWithin(TextDepthKey(line.top_text.GetText()),
                               TextDepthKey(line.bottom_text.GetText()), step_);
  GridRows before;
  before.first = state.next_row;
  before.last = std::min(inside.first, state.last_row + 1) - 1;
  WriteGridRows(before, step_, null_row_end_, out);
  state.next_row = std::max(state.next_row, before.last + 1);
  if (inside.empty()) {
    if (noted) return;
    if (thin_count_++ == 0) {
      thin_line_ = line_number;
      thin_interval_ = std::string(line.top_text.GetText()) + " to " +
                       line.bottom_text.GetText();
    }
    return;
  }
  // Every row of the well lies in the range its header gives; a line that
  // reaches beyond it was not in the table when it was first read.
  if (inside.last > state.last_row) {
    reporter_.ReportLine(
        "the interval %s to %s lies below the well's STOP, read before the "
        "table changed; its rows there are left out",
        line.top_text.GetText(), line.bottom_text.GetText());
  }
  inside.first = std::max(inside.first, state.next_row);
  inside.last = std::min(inside.last, state.last_row);
  WriteGridRows(inside, step_, RowEnd(line), out);
  state.next_row = std::max(state.next_row, inside.last + 1);
}

void StandardRun::WriteEnd(const WellState& state, BlockWriter& out) {
  GridRows rest;
  rest.first = state.next_row;
  rest.last = state.last_row;
  WriteGridRows(rest, step_, null_row_end_, out);
}

void StandardRun::Finish() {
  if (thin_count_ == 0) return;
  // The step as a table would write it: no trailing zeros.
  std::string step = MillionthsText(step_);
  step.erase(step.find_last_not_of('0') + 1);
  if (step.back() == '.') step.pop_back();
  reporter_.SetLineNumber(thin_line_);
  reporter_.NoteLine(
      "the interval %s holds no row of the grid at step %s; %ld interval%s "
      "of this run hold%s none",
      thin_interval_.c_str(), step.c_str(), thin_count_,
      thin_count_ == 1 ? "" : "s", thin_count_ == 1 ? "s" : "");
}

void StandardRun::WriteHeader(DiskFile& file, const String& name,
                              WellState& state) {
  const StandardWell* well =
      wells_.ByFirstName(name.GetText() != nullptr ? name.GetText() : "");
  GridRows rows;
  if (well != nullptr)
    rows = RowsCovering(well->first_top_key, well->last_bottom_key, step_);
  state.next_row = rows.first;
  state.last_row = rows.last;
  const std::string unit(1, depth_unit_);
  file.Write(kVersionSection);
  file.Write("~Well\n");
  WriteItem(file, "STRT." + unit, MillionthsText(rows.first * step_),
            "START DEPTH");
  WriteItem(file, "STOP." + unit, MillionthsText(rows.last * step_),
            "STOP DEPTH");
  WriteItem(file, "STEP." + unit, MillionthsText(step_), "STEP");
  WriteItem(file, "NULL.", kNullText, "NULL VALUE");
  for (int i = 0; i < kItemCount; ++i) {
    if (i == kItemsBeforeWell)
      WriteItem(file, "WELL.", name.GetText() != nullptr ? name.GetText() : "",
                "WELL");
    const std::string value = well != nullptr ? well->items[i] : "";
    if (kWellItems[i].always || !value.empty())
      WriteItem(file, std::string(kWellItems[i].mnemonic) + ".", value,
                kWellItems[i].description);
  }
  file.Write("~Curve\n");
  WriteItem(file, "DEPT." + unit, "", "DEPTH");
  WriteItem(file, "ZONELOG.", "",
            "ZONE CODE, LISTED IN THE PARAMETER SECTION AS ZONELOG_<CODE>");
  WriteItem(file, "DEFINTERV.", "",
            "1 INSIDE AN INTERVAL OF THE TABLE, 0 OUTSIDE");
  for (const Column& column : columns_) {
    if (column.role == Role::kItem) continue;
    const std::string name_and_unit = column.name.find('.') == std::string::npos
                                          ? column.name + "."
                                          : column.name;
    WriteItem(file, name_and_unit, "",
              column.role == Role::kCurve
                  ? column.name
                  : column.name +
                        " AS CODES, LISTED IN THE PARAMETER SECTION AS " +
                        Upper(column.mnemonic) + "_<CODE>");
  }
  file.Write("~Parameter\n");
  if (well != nullptr) {
    for (const auto& parameter : well->parameters) {
      const std::string name_and_unit =
          parameter.first.find('.') == std::string::npos ? parameter.first + "."
                                                         : parameter.first;
      WriteItem(file, name_and_unit, parameter.second, parameter.first);
    }
  }
  // Every code is known by the first file's header.
  if (!code_items_made_) {
    code_items_ = CodeItems();
    code_items_made_ = true;
  }
  file.Write(code_items_.data(), code_items_.size());
  file.Write("~Ascii\n");
}

std::string StandardRun::CodeItems() const {
  std::string items;
  // Codes in order, each with its text.
  const auto add_codes = [&items](
                             const std::string& mnemonic,
                             const std::map<std::string, long long>& codes) {
    std::vector<std::pair<long long, const std::string*>> order;
    for (const auto& code : codes) order.push_back({code.second, &code.first});
    std::sort(order.begin(), order.end());
    for (const auto& code : order) {
      const std::string number = std::to_string(code.first);
      items += ItemText(mnemonic + "_" + number + ".", *code.second,
                        "CODE " + number + " OF " + mnemonic);
    }
  };
  add_codes("ZONELOG", zone_codes_);
  for (const Column& column : columns_)
    if (column.role == Role::kCoded)
      add_codes(Upper(column.mnemonic), column.codes);
  return items;
}
