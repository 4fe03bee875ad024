// StandardRun's reading of the table before the conversion: the columns'
// roles, each well's depth range and items, the texts to code; then the
// option files, and the table stood at its start again.
#include "convert/standard_run.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "convert/delimited.h"
#include "convert/depth_key.h"
#include "convert/las_format.h"
#include "convert/option_table.h"
#include "convert/table_input.h"
#include "io/line_reader.h"
#include "platform/process.h"

namespace {

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

}  // namespace

StandardRun::StandardRun(const Options& options, Reporter& reporter)
    : options_(options),
      reporter_(reporter),
      step_(options.step_millionths),
      wells_(options.output_dir),
      depth_unit_(options.depth_unit) {}

StandardRun::~StandardRun() = default;

bool StandardRun::IsNull(const char* text) {
  return text == nullptr || std::strcmp(text, kNullText) == 0;
}

std::string StandardRun::Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

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
  StandardWell* cached = nullptr;
  std::string reason;
  for (;;) {
    const LineReader::Status status = reader.Next(&line, err);
    if (status == LineReader::Status::kEnd) break;
    if (status == LineReader::Status::kFailed) return false;
    if (status != LineReader::Status::kText || line.IsBlank() ||
        IsComment(line, options_.comment))
      continue;
    if (platform::PendingInterrupt() != 0) return false;
    if (!TakeApart(line, reader.length(), *header, delimited,
                   options_.depth_step, &data, &reason))
      continue;
    const char* name =
        data.well.GetText() != nullptr ? data.well.GetText() : "";
    if (cached == nullptr || cached_name != name) {
      cached = wells_.Find(name, true);
      cached_name = name;
    }
    if (cached == nullptr) continue;
    // A well's lines may come in any order: the conversion sorts them.
    visit(data, *cached, reader.line_number());
  }
  return true;
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

void StandardRun::FirstPass(const DataLine& line, StandardWell& well,
                            long number) {
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
                        [this](const DataLine& line, StandardWell& well,
                               long number) { FirstPass(line, well, number); });
  // The texts of coded columns, once it is known which columns they are.
  const bool any_coded = std::any_of(
      columns_.begin(), columns_.end(),
      [](const Column& column) { return column.role == Role::kCoded; });
  if (read && any_coded) {
    read = ReadTable(
        table, &header, &err,
        [this](const DataLine& line, StandardWell& well, long number) {
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
  if (const int status = ReadZoneCodes(options_.zone_codes, zones_seen_,
                                       reporter_, &zone_codes_))
    return status;
  if (const int status = ReadWellInfo(options_.well_info, wells_, reporter_))
    return status;
  wells_.IndexFirstNames();
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
