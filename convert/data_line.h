// The lines of a zone table taken apart: the header line into its column
// names, a data line into well, depths, zone and attribute values. Each line
// is split into its fields once; the checks and conversions then work on the
// fields, whatever split them.
#ifndef ZONE2LAS_CONVERT_DATA_LINE_H_
#define ZONE2LAS_CONVERT_DATA_LINE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "text/fields.h"
#include "text/string.h"

// The zone table's header line: well, top, bottom, zone, then one name per
// attribute column.
struct TableHeader {
  // The names of the attribute columns, the curves after DEFINTERV.
  Fields attribute_names;
  // The unit of the table's depths, given on the command line: 'M' (metres)
  // or 'F' (feet).
  char depth_unit = 'M';
  // The table's column for each role, in the order well, top, bottom, zone,
  // values (see convert/columns.h); empty when each stands in its place.
  std::vector<int> column_of;
  // The well of every line of a table without a well column, or null.
  const char* well_name = nullptr;
  // A tops table: each line a pick, one depth, the top of a unit.
  bool picks = false;
  // The number of the table's columns, and the names of those that give the
  // top and the bottom depth as the header writes them ("" for none).
  std::size_t column_count = 0;
  std::string depth_column_names[2];

  int attribute_count() const {
    return static_cast<int>(attribute_names.size());
  }
};

// Reads the column names of the header line (|fields|, which it empties)
// into |out|'s attribute names. False, with the reason in |err|, when they
// are fewer than the four fixed columns, or when an attribute column's name
// is empty, starts with '~' or '#' or holds ':': in the LAS file's curve
// section such a name would start a section or a comment, or end the
// curve's unit early.
bool ParseHeaderFields(Fields* fields, TableHeader* out, std::string* err);

// SplitWhiteSpaceFields, then ParseHeaderFields.
bool ParseHeaderLine(const String& line, TableHeader* out, std::string* err);

// One data line, checked: the depths are decimal numbers whose rows, lead-in
// and end rows included, lie within the depth-key range, and the line has a
// value for every attribute column (values beyond them are left out).
struct DataLine {
  String well;
  String top_text;
  String bottom_text;
  double top = 0.0;     // metres, read by the program's own parser
  double bottom = 0.0;  // metres
  String zone;
  Fields values;  // one per attribute column
};

// Splits |line| at spaces, tabs, line feeds and carriage returns into
// |fields|, which it replaces: the first |max_fields| fields, so that a line
// of many fields costs no memory for those past them.
void SplitWhiteSpaceFields(const String& line, Fields* fields,
                           std::size_t max_fields = SIZE_MAX);

// Checks and converts the fields of a data line for a table of
// |attribute_count| attribute columns resampled at |depth_step|. False, with
// the reason in |err|, for a line that cannot be converted faithfully. A
// |pick| (a line of a tops table) has its top in the bottom's place too, and
// no interval yet. |not_a_number|, when given, gets the field (1 top, 2
// bottom) that is not a decimal number, or 0.
//
// The values of a line that is taken move into |out|: |fields| then holds
// the buffers of the line before, which serve the next line's fields.
// |fields| may be |out|'s values themselves, split in place.
bool ParseDataFields(Fields* fields, int attribute_count, double depth_step,
                     DataLine* out, std::string* err, bool pick = false,
                     int* not_a_number = nullptr);

// SplitWhiteSpaceFields, then ParseDataFields.
bool ParseDataLine(const String& line, int attribute_count, double depth_step,
                   DataLine* out, std::string* err);

#endif  // ZONE2LAS_CONVERT_DATA_LINE_H_
