#include "convert/option_table.h"

#include <cerrno>
#include <cstring>

#include "convert/delimited.h"
#include "convert/line_end.h"
#include "convert/report.h"
#include "io/disk_file.h"
#include "io/line_reader.h"
#include "text/string.h"

namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The separator that splits the header line into the most fields, at least
// two: a comma, a semicolon or a tab; a space when none does.
char DetectSeparator(const std::string& header) {
  char best = ' ';
  std::size_t best_fields = 1;
  for (const char candidate : {',', ';', '\t'}) {
    std::vector<std::string> fields;
    std::string ignored;
    if (SplitDelimitedFields(header.c_str(), header.size(), candidate, &fields,
                             &ignored) &&
        fields.size() > best_fields) {
      best = candidate;
      best_fields = fields.size();
    }
  }
  return best;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

int OptionTable::Column(const char* name) const {
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (SameName(columns_[i], name)) return static_cast<int>(i);
  return -1;
}

bool OptionTable::Split(const std::string& line,
                        std::vector<std::string>* fields,
                        std::string* err) const {
  if (delimiter_ != ' ')
    return SplitDelimitedFields(line.c_str(), line.size(), delimiter_, fields,
                                err);
  fields->clear();
  String text(line.c_str());
  for (;;) {
    const String token = text.NextToken(kWhiteSpace);
    if (token.Length() == 0) break;
    fields->push_back(token.GetText());
  }
  return true;
}

bool OptionTable::Read(const char* name, std::string* err) {
  DiskFile file(name);
  errno = 0;
  if (!file.OpenRead(false)) {
    *err = FormatText("%s: cannot open: %s", name, SystemReason(errno).c_str());
    return false;
  }
  LineReader reader(file);
  String line;
  std::string reason;
  for (;;) {
    const LineReader::Status status = reader.Next(&line, &reason);
    if (status == LineReader::Status::kEnd) break;
    if (status == LineReader::Status::kFailed) {
      *err = FormatText("%s: %s", name, reason.c_str());
      return false;
    }
    const long number = reader.line_number();
    if (status == LineReader::Status::kUnreadable) {
      *err = FormatText("%s:%ld: %s", name, number, reason.c_str());
      return false;
    }
    if (line.IsBlank()) continue;
    std::string text(line.GetText());
    // The line end and a byte-order mark belong to no field.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
      text.pop_back();
    if (number == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
      text.erase(0, 3);
    std::vector<std::string> fields;
    if (header_line_ == 0) delimiter_ = DetectSeparator(text);
    // A carriage return inside the line: lines that end in one alone would
    // run together. Inside quotes it is text, and the delimited split
    // refuses it elsewhere.
    if (delimiter_ == ' ' &&
        !CheckLineEnd(text.c_str(), text.size(), &reason)) {
      *err = FormatText("%s:%ld: %s", name, number, reason.c_str());
      return false;
    }
    if (!Split(text, &fields, &reason)) {
      *err = FormatText("%s:%ld: %s", name, number, reason.c_str());
      return false;
    }
    if (header_line_ == 0) {
      header_line_ = number;
      columns_ = std::move(fields);
      continue;
    }
    if (fields.size() > columns_.size()) {
      *err = FormatText(
          "%s:%ld: %d fields, but the header line names %d "
          "columns",
          name, number, static_cast<int>(fields.size()),
          static_cast<int>(columns_.size()));
      return false;
    }
    fields.resize(columns_.size());
    rows_.push_back(Row{number, std::move(fields)});
  }
  if (header_line_ == 0) {
    *err = FormatText("%s: no header line: the file is empty or blank", name);
    return false;
  }
  return true;
}
