// The lines of a delimited zone table (comma, semicolon or tab) made into
// the fields that the whitespace reader would give for the same table: the
// well as it stands, every other text with its runs of white space joined by
// '_', empty values as the null value, and in a semicolon table decimal
// commas as points.
#ifndef ZONE2LAS_CONVERT_DELIMITED_TABLE_H_
#define ZONE2LAS_CONVERT_DELIMITED_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "convert/delimited.h"
#include "convert/report.h"
#include "text/fields.h"
#include "text/string.h"

class DelimitedTable {
 public:
  // |delimiter| is not kSpace. A text whose white space is joined is noted
  // once on |reporter|, on the line where it first comes.
  DelimitedTable(Delimiter delimiter, Reporter& reporter)
      : delimiter_(DelimiterByte(delimiter)),
        decimal_comma_(delimiter == Delimiter::kSemicolon),
        reporter_(reporter) {}

  // The column names of the header line as written, quotes removed, into
  // |names|. False, with the reason in |err|, for a quote that is not closed.
  bool SplitNames(const String& line, Fields* names, std::string* err);
  // The columns of each role (see convert/columns.h), a well name for a
  // table without a well column, before the header is split; none: each
  // stands in its place.
  // Fields past the header's |columns| are not kept.
  void SetColumns(const std::vector<int>& column_of, const char* well_name,
                  std::size_t columns) {
    column_of_ = column_of;
    well_name_ = well_name;
    max_fields_ = columns;
  }

  // The column names that SplitNames gave, put in the order of the roles,
  // the attribute columns' names with their white space joined.
  void ArrangeHeader(Fields* names);

  // The fields of a data line of a table with |attribute_count| attribute
  // columns into |fields|, whose buffers are reused. False, with
  // the reason in |err|, for a quote that is not closed or an empty well,
  // top, bottom or zone.
  bool SplitData(const String& line, int attribute_count, Fields* fields,
                 std::string* err);

 private:
  bool Split(const String& line, Fields* fields, std::string* err);
  // Joins the white space of field |i| of |fields|, noting the change as
  // |what|'s.
  void JoinWhiteSpace(const char* what, Fields* fields, std::size_t i);

  const char delimiter_;
  const bool decimal_comma_;
  Reporter& reporter_;
  std::vector<int> column_of_;
  const char* well_name_ = nullptr;
  std::size_t max_fields_ = SIZE_MAX;
  // The texts already noted, each after the kind of text it was.
  std::set<std::string> noted_;
  // A field as it was before its white space was joined, kept for the note;
  // one buffer for every field, so that no field costs a copy of its own.
  std::string before_;
};

#endif  // ZONE2LAS_CONVERT_DELIMITED_TABLE_H_
