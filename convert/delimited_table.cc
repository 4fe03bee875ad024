#include "convert/delimited_table.h"

#include <cstddef>
#include <cstdint>

#include "convert/columns.h"
#include "convert/las_format.h"

namespace {

// The fixed columns that may not be empty, by position.
constexpr const char* kFixedColumnNames[kFixedColumns] = {"well", "top",
                                                          "bottom", "zone"};

}  // namespace

bool DelimitedTable::Split(const String& line, Fields* fields,
                           std::string* err) {
  const char* text = line.GetText() != nullptr ? line.GetText() : "";
  if (!SplitDelimitedFields(text, static_cast<std::size_t>(line.Length()),
                            delimiter_, fields, err, max_fields_))
    return false;
  if (!column_of_.empty())
    ArrangeFields(column_of_, well_name_, fields);
  return true;
}

bool DelimitedTable::SplitNames(const String& line, Fields* names,
                                std::string* err) {
  const char* text = line.GetText() != nullptr ? line.GetText() : "";
  return SplitDelimitedFields(text, static_cast<std::size_t>(line.Length()),
                              delimiter_, names, err);
}

void DelimitedTable::JoinWhiteSpace(const char* what, Fields* fields,
                                    std::size_t i) {
  std::size_t length = fields->Length(i);
  before_.assign((*fields)[i], length);
  if (!JoinWhiteSpaceRuns(fields->Mutable(i), &length)) return;
  fields->SetLength(i, length);
  if (noted_.insert(std::string(what) + '\n' + before_).second) {
    reporter_.NoteLine("%s \"%s\" written as %s", what, before_.c_str(),
                       (*fields)[i]);
  }
}

void DelimitedTable::ArrangeHeader(Fields* names) {
  if (!column_of_.empty())
    ArrangeFields(column_of_, well_name_, names);
  // Only the attribute columns' names are written, as curve names.
  for (std::size_t i = kFixedColumns; i < names->size(); ++i)
    JoinWhiteSpace("column name", names, i);
}

bool DelimitedTable::SplitData(const String& line, int attribute_count,
                               Fields* fields, std::string* err) {
  if (!Split(line, fields, err)) return false;
  const std::size_t columns =
      static_cast<std::size_t>(kFixedColumns + attribute_count);
  // Every empty value shares one copy of the NULL text.
  std::size_t null_field = SIZE_MAX;
  // A line short of fields is refused by the data line's own count.
  for (std::size_t i = 0; i < fields->size() && i < columns; ++i) {
    const bool empty = (*fields)[i][0] == '\0';
    // The well and the depths are needed; an empty zone or value is the
    // NULL text.
    if (i < static_cast<std::size_t>(kFixedColumns) - 1 && empty) {
      *err = FormatText("the %s field is empty", kFixedColumnNames[i]);
      return false;
    }
    if (i == 0)
      continue;  // A well's name keeps its spaces, in the file's name too.
    if (empty) {
      if (null_field == SIZE_MAX) {
        fields->Replace(i, kNullText);
        null_field = i;
      } else {
        fields->Share(i, null_field);
      }
      continue;
    }
    if (decimal_comma_ && i != 3)
      DecimalCommaToPoint(fields->Mutable(i), fields->Length(i));
    // A depth with white space inside is refused as it was written.
    if (i >= 3) JoinWhiteSpace(i == 3 ? "zone" : "value", fields, i);
  }
  return true;
}
