#include "convert/delimited_table.h"

#include <cstddef>

#include "convert/columns.h"
#include "convert/las_format.h"

namespace {

// The fixed columns that may not be empty, by position.
constexpr const char* kFixedColumnNames[kFixedColumns] = {"well", "top",
                                                          "bottom", "zone"};

}  // namespace

bool DelimitedTable::Split(const String& line, std::string* err) {
  const char* text = line.GetText() != nullptr ? line.GetText() : "";
  if (!SplitDelimitedFields(text, static_cast<std::size_t>(line.Length()),
                            delimiter_, &raw_fields_, err, max_fields_))
    return false;
  if (!column_of_.empty())
    ArrangeFields(column_of_, well_name_, &raw_fields_, &arranged_);
  return true;
}

bool DelimitedTable::SplitNames(const String& line,
                                std::vector<std::string>* names,
                                std::string* err) {
  const char* text = line.GetText() != nullptr ? line.GetText() : "";
  return SplitDelimitedFields(text, static_cast<std::size_t>(line.Length()),
                              delimiter_, names, err);
}

void DelimitedTable::JoinWhiteSpace(const char* what, std::string* text) {
  before_.assign(*text);
  if (!JoinWhiteSpaceRuns(text)) return;
  if (noted_.insert(std::string(what) + '\n' + before_).second) {
    reporter_.NoteLine("%s \"%s\" written as %s", what, before_.c_str(),
                       text->c_str());
  }
}

void DelimitedTable::CopyFields(std::vector<String>* fields) const {
  // The Strings of the line before are reused: their buffers only grow.
  fields->resize(raw_fields_.size());
  for (std::size_t i = 0; i < raw_fields_.size(); ++i)
    (*fields)[i].Assign(raw_fields_[i].data(),
                        static_cast<std::uint32_t>(raw_fields_[i].size()));
}

bool DelimitedTable::SplitHeader(const String& line,
                                 std::vector<String>* fields,
                                 std::string* err) {
  if (!Split(line, err)) return false;
  // Only the attribute columns' names are written, as curve names.
  for (std::size_t i = kFixedColumns; i < raw_fields_.size(); ++i)
    JoinWhiteSpace("column name", &raw_fields_[i]);
  CopyFields(fields);
  return true;
}

bool DelimitedTable::SplitData(const String& line, int attribute_count,
                               std::vector<String>* fields, std::string* err) {
  if (!Split(line, err)) return false;
  const std::size_t columns =
      static_cast<std::size_t>(kFixedColumns + attribute_count);
  // A line short of fields is refused by the data line's own count.
  for (std::size_t i = 0; i < raw_fields_.size() && i < columns; ++i) {
    std::string& field = raw_fields_[i];
    // The well and the depths are needed; an empty zone or value is the
    // NULL text.
    if (i < static_cast<std::size_t>(kFixedColumns) - 1 && field.empty()) {
      *err = FormatText("the %s field is empty", kFixedColumnNames[i]);
      return false;
    }
    if (i == 0)
      continue;  // A well's name keeps its spaces, in the file's name too.
    if (field.empty()) {
      field = kNullText;
      continue;
    }
    if (decimal_comma_ && i != 3) DecimalCommaToPoint(&field);
    // A depth with white space inside is refused as it was written.
    if (i >= 3) JoinWhiteSpace(i == 3 ? "zone" : "value", &field);
  }
  CopyFields(fields);
  return true;
}
