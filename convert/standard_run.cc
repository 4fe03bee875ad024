#include "convert/standard_run.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "convert/delimited.h"
#include "convert/depth_key.h"
#include "convert/las_format.h"
#include "convert/option_table.h"
#include "convert/resample.h"
#include "convert/table_input.h"
#include "io/line_reader.h"
#include "platform/process.h"

namespace {

// The ~Well items beside STRT, STOP, STEP, NULL and WELL, in the order they
// are written; the first seven always, the rest only when given.
struct WellItem {
  const char* mnemonic;
  const char* description;
  bool always;
};
constexpr WellItem kWellItems[] = {
    {"COMP", "COMPANY", true},         {"FLD", "FIELD", true},
    {"LOC", "LOCATION", true},         {"PROV", "PROVINCE", true},
    {"SRVC", "SERVICE COMPANY", true}, {"DATE", "LOG DATE", true},
    {"UWI", "UNIQUE WELL ID", true},   {"CNTY", "COUNTY", false},
    {"STAT", "STATE", false},          {"CTRY", "COUNTRY", false},
    {"API", "API NUMBER", false},      {"LIC", "LICENCE NUMBER", false},
};
constexpr int kItemCount = sizeof(kWellItems) / sizeof(kWellItems[0]);
// WELL stands after COMP.
constexpr int kItemsBeforeWell = 1;

int ItemIndex(const std::string& mnemonic) {
  for (int i = 0; i < kItemCount; ++i)
    if (SameName(mnemonic, kWellItems[i].mnemonic)) return i;
  return -1;
}

// What a LAS reader reads as a number: an optional sign, digits with at most
// one point (one digit at least), then an optional exponent.
bool IsLasNumber(const char* text) {
  if (*text == '+' || *text == '-') ++text;
  int digits = 0;
  bool point = false;
  for (; *text != '\0' && *text != 'e' && *text != 'E'; ++text) {
    if (*text >= '0' && *text <= '9') {
      ++digits;
    } else if (*text == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  if (*text == '\0') return true;
  ++text;
  if (*text == '+' || *text == '-') ++text;
  if (*text == '\0') return false;
  for (; *text != '\0'; ++text)
    if (*text < '0' || *text > '9') return false;
  return true;
}

bool IsNull(const char* text) {
  return text == nullptr || std::strcmp(text, kNullText) == 0;
}
bool IsNull(const String& text) { return IsNull(text.GetText()); }

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// One header line: "MNEM.UNIT", at least one space, the value, " : " and
// the description. The value may hold a colon: the last one ends it.
void WriteItem(DiskFile& file, const std::string& name_and_unit,
               const std::string& value, const std::string& description) {
  file.Print("%-10s %20s : %s\n", name_and_unit.c_str(), value.c_str(),
             description.c_str());
}

// Where a text is first met: the well's place in the order of the files,
// then the line (a well's lines come in depth order).
void Remember(std::map<std::string, FirstSeen>* seen, const char* text,
              const FirstSeen& where) {
  const auto found = seen->emplace(text, where);
  if (!found.second && where < found.first->second) found.first->second = where;
}

// Sections are told apart by their first letter.
constexpr const char kVersionSection[] =
    "~Version\n"
    "VERS.                          2.0 :CWLS LOG ASCII STANDARD - VERSION "
    "2.0\n"
    "WRAP.                          NO  : ONE LINE PER DEPTH STEP\n";

}  // namespace

struct StandardRun::Well {
  std::size_t order = 0;
  std::string first_name;
  bool started = false;
  // Of the whole table.
  std::int32_t first_top_key = 0;
  std::int32_t last_bottom_key = 0;
  std::string items[kItemCount];
  // ~Parameter items from the well-info file: "NAME.UNIT", value, header.
  std::vector<std::pair<std::string, std::string>> parameters;
};

StandardRun::StandardRun(const Options& options, Reporter& reporter)
    : options_(options),
      reporter_(reporter),
      step_(options.step_millionths),
      folders_(options.output_dir != nullptr ? options.output_dir : ""),
      depth_unit_(options.depth_unit) {}

StandardRun::~StandardRun() = default;

// Reads the table from its start: every line that the conversion would
// accept is given to |visit| with its well, in table order. Lines are
// refused as the conversion refuses them, silently: it reports them.
bool StandardRun::ReadTable(DiskFile& table, TableHeader* header,
                            std::string* err, const LineVisitor& visit) {
  std::string capture;
  Reporter silent(reporter_.table_name(), &capture);
  if (!copy_.Rewind(table, err)) {
    *err = "cannot go back to its start: " + *err;
    return false;
  }
  DiskFile& source = copy_.Source(table);
  LineReader reader(source);
  std::optional<DelimitedTable> delimited;
  if (ReadHeader(reader, options_, silent, &delimited, header) !=
      kExitSuccess) {
    *err = "its header line could not be read again";
    return false;
  }
  String line;
  DataLine data;
  std::string cached_name;
  Well* cached = nullptr;
  std::string reason;
  for (;;) {
    const LineReader::Status status = reader.Next(&line, err);
    if (status == LineReader::Status::kEnd) break;
    if (status == LineReader::Status::kFailed) return false;
    if (status != LineReader::Status::kText || line.IsBlank() ||
        IsComment(line, options_.comment))
      continue;
    if (platform::PendingInterrupt() != 0) return false;
    if (!TakeApart(line, *header, delimited, options_.depth_step, &data,
                   &reason))
      continue;
    const char* name =
        data.well.GetText() != nullptr ? data.well.GetText() : "";
    if (cached == nullptr || cached_name != name) {
      cached = nullptr;
      std::size_t folder = 0;
      std::string base_name;
      std::string key;
      if (StaysInWorkingDirectory((std::string(name) + ".las").c_str()) &&
          folders_.Place(std::string(name) + ".las", &folder, &base_name, &key,
                         &reason)) {
        std::unique_ptr<Well>& well = wells_[key];
        if (!well) {
          well.reset(new Well);
          well->order = order_.size();
          well->first_name = name;
          order_.push_back(well.get());
        }
        cached = well.get();
      }
      cached_name = name;
    }
    if (cached == nullptr) continue;
    // A well's lines may come in any order: the conversion sorts them.
    visit(data, *cached, reader.line_number());
  }
  return true;
}

// Sorts the texts by the order their files are written in, and numbers them
// from 1.
void StandardRun::AssignCodes(const std::map<std::string, FirstSeen>& seen,
                              std::map<std::string, long long>* codes) const {
  std::vector<std::pair<FirstSeen, const std::string*>> order;
  for (const auto& entry : seen) order.push_back({entry.second, &entry.first});
  std::sort(order.begin(), order.end());
  long long code = 0;
  for (const auto& entry : order) (*codes)[*entry.second] = ++code;
}

bool StandardRun::SetColumns(const TableHeader& header, long header_line) {
  columns_.clear();
  // The curves' mnemonics, each with the column that gives it.
  std::vector<std::pair<std::string, std::string>> mnemonics = {
      {"DEPT", ""}, {"ZONELOG", ""}, {"DEFINTERV", ""}};
  std::vector<std::pair<std::string, std::string>> items;
  for (std::size_t n = 0; n < header.attribute_names.size(); ++n) {
    Column column;
    column.name = header.attribute_names[n];
    column.mnemonic = column.name.substr(0, column.name.find('.'));
    column.item = ItemIndex(column.mnemonic);
    if (column.item >= 0) column.role = Role::kItem;
    auto& taken = column.item >= 0 ? items : mnemonics;
    for (std::size_t i = 0; i < taken.size(); ++i) {
      if (!SameName(taken[i].first, column.mnemonic)) continue;
      reporter_.SetLineNumber(header_line);
      // The first three curves are the file's own.
      if (&taken == &mnemonics && i < 3) {
        reporter_.ReportLine(
            "column \"%s\" gives the mnemonic of the curve %s; --standard "
            "needs each once",
            column.name.c_str(), taken[i].first.c_str());
      } else {
        reporter_.ReportLine(
            "columns \"%s\" and \"%s\" give one mnemonic, %s; --standard "
            "needs each once",
            taken[i].second.c_str(), column.name.c_str(),
            Upper(column.mnemonic).c_str());
      }
      return false;
    }
    taken.push_back({column.mnemonic, column.name});
    columns_.push_back(std::move(column));
  }
  return true;
}

void StandardRun::FirstPass(const DataLine& line, Well& well, long number) {
  // The well's range, whatever the order of its lines.
  const std::int32_t top_key = TextDepthKey(line.top_text.GetText());
  const std::int32_t bottom_key = TextDepthKey(line.bottom_text.GetText());
  if (!well.started || top_key < well.first_top_key)
    well.first_top_key = top_key;
  if (!well.started || bottom_key > well.last_bottom_key)
    well.last_bottom_key = bottom_key;
  well.started = true;
  if (!IsNull(line.zone))
    Remember(&zones_seen_, line.zone.GetText(),
             FirstSeen(well.order, DepthKey(line.top), number));
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    Column& column = columns_[i];
    const char* value = line.values[i];
    if (IsNull(value)) continue;
    if (column.role == Role::kItem) {
      std::string& item = well.items[column.item];
      if (item.empty()) {
        item = value;
      } else if (item != value && !item_note_given_) {
        item_note_given_ = true;
        reporter_.SetLineNumber(number);
        reporter_.NoteLine(
            "%s \"%s\" of well \"%s\" differs from \"%s\" on an earlier "
            "line; the first stands",
            kWellItems[column.item].mnemonic, value, well.first_name.c_str(),
            item.c_str());
      }
    } else if (column.role == Role::kCurve && !IsLasNumber(value)) {
      column.role = Role::kCoded;
    }
  }
}

int StandardRun::Prepare(DiskFile& table) {
  std::string err;
  if (!copy_.Prepare(table,
                     options_.output_dir != nullptr ? options_.output_dir : "",
                     &err)) {
    // A stop signal breaks off the copy's read; it is no fault of the table.
    if (const int signal = platform::PendingInterrupt()) return 128 + signal;
    reporter_.Report("%s: %s", reporter_.table_name(), err.c_str());
    return kExitFailure;
  }
  TableHeader header;
  {
    // A table that cannot be read is the conversion's to report.
    std::string capture;
    Reporter silent(reporter_.table_name(), &capture);
    if (!copy_.Rewind(table, &err)) return 0;
    LineReader reader(copy_.Source(table));
    std::optional<DelimitedTable> delimited;
    if (ReadHeader(reader, options_, silent, &delimited, &header) !=
        kExitSuccess) {
      copy_.Rewind(table, &err);
      return 0;
    }
    if (!SetColumns(header, reader.line_number())) return kExitUsage;
  }
  bool read = ReadTable(table, &header, &err,
                        [this](const DataLine& line, Well& well, long number) {
                          FirstPass(line, well, number);
                        });
  // The texts of coded columns, once it is known which columns they are.
  const bool any_coded = std::any_of(
      columns_.begin(), columns_.end(),
      [](const Column& column) { return column.role == Role::kCoded; });
  if (read && any_coded) {
    read = ReadTable(
        table, &header, &err,
        [this](const DataLine& line, Well& well, long number) {
          for (std::size_t i = 0; i < columns_.size(); ++i) {
            if (columns_[i].role == Role::kCoded && !IsNull(line.values[i]))
              Remember(&columns_[i].seen, line.values[i],
                       FirstSeen(well.order, DepthKey(line.top), number));
          }
        });
    for (Column& column : columns_) AssignCodes(column.seen, &column.codes);
  }
  // A stop signal is the conversion's to tell.
  if (platform::PendingInterrupt() != 0) return 0;
  if (!read) {
    reporter_.Report("%s: %s", reporter_.table_name(), err.c_str());
    return kExitFailure;
  }
  if (const int status = ReadZoneCodes()) return status;
  if (const int status = ReadWellInfo()) return status;
  for (Well* well : order_) by_first_name_[well->first_name] = well;
  null_row_end_ = std::string("   ") + kNullText + "   0";
  for (const Column& column : columns_)
    if (column.role != Role::kItem)
      null_row_end_.append("   ").append(kNullText);
  null_row_end_.push_back('\n');
  if (!copy_.Rewind(table, &err)) {
    reporter_.Report("%s: cannot go back to its start: %s",
                     reporter_.table_name(), err.c_str());
    return kExitFailure;
  }
  return 0;
}

int StandardRun::ReadZoneCodes() {
  const char* name = options_.zone_codes;
  if (name == nullptr) {
    AssignCodes(zones_seen_, &zone_codes_);
    return 0;
  }
  OptionTable table;
  std::string err;
  if (!table.Read(name, &err)) {
    reporter_.Report("%s", err.c_str());
    return kExitUsage;
  }
  const int zone_column = table.Column("ZONE");
  const int code_column = table.Column("CODE");
  if (zone_column < 0 || code_column < 0) {
    reporter_.Report("%s:%ld: the header line names no %s column", name,
                     table.header_line(), zone_column < 0 ? "ZONE" : "CODE");
    return kExitUsage;
  }
  std::map<std::string, std::pair<long long, long>> by_zone;
  std::map<long long, long> by_code;
  for (const OptionTable::Row& row : table.rows()) {
    std::string zone = row.fields[static_cast<std::size_t>(zone_column)];
    JoinWhiteSpaceRuns(&zone);
    const std::string& code_text =
        row.fields[static_cast<std::size_t>(code_column)];
    long long code = 0;
    bool whole = !code_text.empty() && code_text.size() <= 15;
    for (const char c : code_text) {
      if (c < '0' || c > '9') whole = false;
      if (whole) code = code * 10 + (c - '0');
    }
    if (zone.empty()) {
      reporter_.Report("%s:%ld: the zone is empty", name, row.line);
      return kExitUsage;
    }
    if (!whole || code < 1) {
      reporter_.Report(
          "%s:%ld: code \"%s\" of zone \"%s\" is not a whole number of at "
          "least 1",
          name, row.line, code_text.c_str(), zone.c_str());
      return kExitUsage;
    }
    const auto zone_entry =
        by_zone.emplace(zone, std::make_pair(code, row.line));
    if (!zone_entry.second) {
      reporter_.Report(
          "%s:%ld: zone \"%s\" is listed twice (first on line %ld)", name,
          row.line, zone.c_str(), zone_entry.first->second.second);
      return kExitUsage;
    }
    const auto code_entry = by_code.emplace(code, row.line);
    if (!code_entry.second) {
      reporter_.Report("%s:%ld: code %s is listed twice (first on line %ld)",
                       name, row.line, std::to_string(code).c_str(),
                       code_entry.first->second);
      return kExitUsage;
    }
  }
  // The first zone without a code, in the order the files are written.
  std::map<std::string, long long> order;
  AssignCodes(zones_seen_, &order);
  const std::string* missing = nullptr;
  for (const auto& zone : order) {
    const auto found = by_zone.find(zone.first);
    if (found != by_zone.end()) {
      zone_codes_[zone.first] = found->second.first;
    } else if (missing == nullptr || zone.second < order[*missing]) {
      missing = &zone.first;
    }
  }
  if (missing != nullptr) {
    reporter_.SetLineNumber(std::get<2>(zones_seen_[*missing]));
    reporter_.ReportLine("zone \"%s\" has no code in %s", missing->c_str(),
                         name);
    return kExitUsage;
  }
  return 0;
}

int StandardRun::ReadWellInfo() {
  const char* name = options_.well_info;
  if (name == nullptr) return 0;
  OptionTable table;
  std::string err;
  if (!table.Read(name, &err)) {
    reporter_.Report("%s", err.c_str());
    return kExitUsage;
  }
  const int well_column = table.Column("WELL");
  if (well_column < 0) {
    reporter_.Report("%s:%ld: the header line names no WELL column", name,
                     table.header_line());
    return kExitUsage;
  }
  std::vector<int> items(table.columns().size(), -1);
  std::vector<std::string> parameters(table.columns().size());
  for (std::size_t i = 0; i < table.columns().size(); ++i) {
    if (static_cast<int>(i) == well_column) continue;
    std::string column = table.columns()[i];
    JoinWhiteSpaceRuns(&column);
    items[i] = ItemIndex(column.substr(0, column.find('.')));
    if (items[i] >= 0) continue;
    if (column.empty() || column[0] == '~' || column[0] == '#' ||
        column.find(':') != std::string::npos || column[0] == '.') {
      reporter_.Report(
          "%s:%ld: column %d is named \"%s\"; a parameter's name may not be "
          "empty, start with ~, # or a point, nor hold :",
          name, table.header_line(), static_cast<int>(i) + 1, column.c_str());
      return kExitUsage;
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (!parameters[j].empty() &&
          SameName(parameters[j].substr(0, parameters[j].find('.')),
                   column.substr(0, column.find('.')))) {
        reporter_.Report(
            "%s:%ld: columns \"%s\" and \"%s\" give one parameter "
            "mnemonic",
            name, table.header_line(), parameters[j].c_str(), column.c_str());
        return kExitUsage;
      }
    }
    parameters[i] = column;
  }
  std::map<const Well*, long> listed;
  long unknown_count = 0;
  const OptionTable::Row* first_unknown = nullptr;
  bool override_noted = false;
  for (const OptionTable::Row& row : table.rows()) {
    const std::string& well_name =
        row.fields[static_cast<std::size_t>(well_column)];
    std::size_t folder = 0;
    std::string base_name;
    std::string key;
    std::string ignored;
    Well* well = nullptr;
    if (!well_name.empty() &&
        StaysInWorkingDirectory((well_name + ".las").c_str()) &&
        folders_.Place(well_name + ".las", &folder, &base_name, &key,
                       &ignored)) {
      const auto found = wells_.find(key);
      if (found != wells_.end()) well = found->second.get();
    }
    if (well == nullptr) {
      if (first_unknown == nullptr) first_unknown = &row;
      ++unknown_count;
      continue;
    }
    const auto entry = listed.emplace(well, row.line);
    if (!entry.second) {
      reporter_.Report(
          "%s:%ld: well \"%s\" is listed twice (first on line %ld)", name,
          row.line, well_name.c_str(), entry.first->second);
      return kExitUsage;
    }
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
      const std::string& value = row.fields[i];
      if (items[i] >= 0 && !value.empty()) {
        std::string& item = well->items[items[i]];
        if (!item.empty() && item != value && !override_noted) {
          override_noted = true;
          reporter_.Note(
              "%s:%ld: note: %s \"%s\" of well \"%s\" replaces \"%s\" of the "
              "zone table",
              name, row.line, kWellItems[items[i]].mnemonic, value.c_str(),
              well_name.c_str(), item.c_str());
        }
        item = value;
      } else if (!parameters[i].empty()) {
        well->parameters.push_back({parameters[i], value});
      }
    }
  }
  if (first_unknown != nullptr) {
    reporter_.Note(
        "%s:%ld: note: well \"%s\" has no line in the zone table; %ld such "
        "row%s ignored",
        name, first_unknown->line,
        first_unknown->fields[static_cast<std::size_t>(well_column)].c_str(),
        unknown_count, unknown_count == 1 ? "" : "s");
  }
  const std::size_t without = order_.size() - listed.size();
  const auto unlisted =
      std::find_if(order_.begin(), order_.end(),
                   [&](const Well* well) { return listed.count(well) == 0; });
  if (unlisted != order_.end()) {
    reporter_.Note(
        "%s: note: well \"%s\" has no row; its ~Well items are "
        "empty (%ld such well%s)",
        name, (*unlisted)->first_name.c_str(), static_cast<long>(without),
        without == 1 ? "" : "s");
  }
  return 0;
}

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
  const auto found =
      by_first_name_.find(name.GetText() != nullptr ? name.GetText() : "");
  const Well* well = found != by_first_name_.end() ? found->second : nullptr;
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
  // Codes in order, each with its text.
  const auto write_codes = [&](const std::string& mnemonic,
                               const std::map<std::string, long long>& codes) {
    std::vector<std::pair<long long, const std::string*>> order;
    for (const auto& code : codes) order.push_back({code.second, &code.first});
    std::sort(order.begin(), order.end());
    for (const auto& code : order) {
      const std::string number = std::to_string(code.first);
      WriteItem(file, mnemonic + "_" + number + ".", *code.second,
                "CODE " + number + " OF " + mnemonic);
    }
  };
  write_codes("ZONELOG", zone_codes_);
  for (const Column& column : columns_)
    if (column.role == Role::kCoded)
      write_codes(Upper(column.mnemonic), column.codes);
  file.Write("~Ascii\n");
}
