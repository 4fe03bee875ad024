// The roles of a table's columns: which column gives the well, the top, the
// bottom, the zone and the attribute values. By default each stands in its
// place (well 1, top 2, bottom 3, zone 4, values after them); the command
// line may choose any of them by number or by header name, so that a table
// exported with its columns in its own order converts as it stands.
#ifndef ZONE2LAS_CONVERT_COLUMNS_H_
#define ZONE2LAS_CONVERT_COLUMNS_H_

#include <cstddef>
#include <string>
#include <vector>

#include "text/fields.h"

// The columns the command line chose; null where it chose none.
struct ColumnChoice {
  const char* well = nullptr;    // --well-column
  const char* top = nullptr;     // --top-column
  const char* bottom = nullptr;  // --bottom-column
  const char* zone = nullptr;    // --zone-column
  const char* values = nullptr;  // --value-columns, names or numbers by ','
  bool one_well = false;         // --well: the table has no well column
  bool tops = false;             // --tops: no bottom column, one depth a line
};

// The role with no column: the well under --well, the bottom under --tops.
constexpr int kNoColumn = -1;

// The fields that the roles need at least, the table's columns for the
// header check and the delimiter's detection: 4, one less for each role
// with no column.
int LeastColumns(const ColumnChoice& choice);

// Chooses the columns of a table whose header names |names| (quotes
// removed). |column_of| gets, for each role in the order well, top, bottom,
// zone, then the values, the table's column (from 0) or kNoColumn. A number
// is a column from 1; any other text is a header name, compared without
// regard to case, as written or with its runs of white space joined by '_'.
// False, with the reason in |err| (the header's names listed), for a name
// the header lacks or holds twice, a number past the last column, or a
// column given two roles.
bool ChooseColumns(const Fields& names, const ColumnChoice& choice,
                   std::vector<int>* column_of, std::string* err);

// Whether every role's column stands in its place: no arranging needed.
bool InPlace(const std::vector<int>& column_of);

// Puts |fields| in the order of the roles. The well with no column is
// |well_name|; the bottom with no column is the top (a pick, which its unit's
// bottom replaces later). A line whose fields end before a role's column is
// cut short before that role, for the field count to refuse it.
void ArrangeFields(const std::vector<int>& column_of, const char* well_name,
                   Fields* fields);

#endif  // ZONE2LAS_CONVERT_COLUMNS_H_
