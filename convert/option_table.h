// A small table given with an option (zone codes, the wells' identities),
// read as zone tables are: a header line naming the columns, then one row a
// line, fields separated by white space, or by commas, semicolons or tabs
// (quotes allowed) when the header line holds one. Blank lines are ignored.
#ifndef ZONE2LAS_CONVERT_OPTION_TABLE_H_
#define ZONE2LAS_CONVERT_OPTION_TABLE_H_

#include <string>
#include <vector>

class OptionTable {
 public:
  struct Row {
    long line = 0;
    // One per column; a field missing at the end of the line is empty.
    std::vector<std::string> fields;
  };

  // Reads the whole file |name|. False, with the reason in |err| ("FILE:
  // ..." or "FILE:LINE: ..."), when it cannot be read, has no header line,
  // or a line has more fields than the header names.
  bool Read(const char* name, std::string* err);

  const std::vector<std::string>& columns() const { return columns_; }
  const std::vector<Row>& rows() const { return rows_; }
  long header_line() const { return header_line_; }

  // The index of the column named |name|, letter case aside; -1 if none.
  int Column(const char* name) const;

 private:
  bool Split(const std::string& line, std::vector<std::string>* fields,
             std::string* err) const;

  char delimiter_ = ' ';
  long header_line_ = 0;
  std::vector<std::string> columns_;
  std::vector<Row> rows_;
};

// Whether two names are equal, ASCII letter case aside.
bool SameName(const std::string& a, const std::string& b);

#endif  // ZONE2LAS_CONVERT_OPTION_TABLE_H_
