// StandardRun makes files that keep every rule of LAS 2.0: rows at whole
// multiples of the step, numbers only in the data section (zones and the
// values of text columns as integer codes, listed in ~Parameter), and every
// ~Well item of the standard. It reads the table once before the conversion
// to learn the wells' depth ranges, the codes and the well items, so that
// every header is whole before the first row.
#ifndef ZONE2LAS_CONVERT_STANDARD_RUN_H_
#define ZONE2LAS_CONVERT_STANDARD_RUN_H_

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "convert/data_line.h"
#include "convert/options.h"
#include "convert/report.h"
#include "convert/standard_grid.h"
#include "convert/table_copy.h"
#include "convert/well_format.h"
#include "convert/well_names.h"

// Where a text first comes when the lines are taken in the order their
// files are written: its well's order, the line's top (depth key), the
// line's number.
using FirstSeen = std::tuple<std::size_t, std::int32_t, long>;

class StandardRun : public WellFormat {
 public:
  StandardRun(const Options& options, Reporter& reporter);
  ~StandardRun() override;

  // Reads the table (open, not yet read) once, and the option files, then
  // stands the table at its start again. Returns 0 to go on, or the exit
  // status that ends the run here, with nothing written.
  int Prepare(DiskFile& table);

  // The file the conversion reads: the table, or its copy.
  DiskFile& Source(DiskFile& table) { return copy_.Source(table); }

  // Writes the rows of |line|, accepted for the well of |state|: the rows of
  // the grid before it that no interval holds, then its own. |line_number|
  // is the line's in the table; a line |noted| before (its well was set
  // aside and taken again) is not counted again as thin.
  void Rows(const DataLine& line, long line_number, WellState& state,
            BlockWriter& out, bool noted = false);

  // The run's closing notes.
  void Finish();

  void WriteHeader(DiskFile& file, const String& well,
                   WellState& state) override;
  void WriteEnd(const WellState& state, BlockWriter& out) override;

 private:
  // What an attribute column becomes.
  enum class Role { kCurve, kCoded, kItem };
  struct Column {
    std::string name;      // as in the header line
    std::string mnemonic;  // before its first point
    Role role = Role::kCurve;
    int item = -1;  // the ~Well item it fills
    // Texts by first appearance, then their codes.
    std::map<std::string, FirstSeen> seen;
    std::map<std::string, long long> codes;
  };
  struct Well;
  using LineVisitor = std::function<void(const DataLine&, Well&, long)>;

  bool ReadTable(DiskFile& table, TableHeader* header, std::string* err,
                 const LineVisitor& visit);
  bool SetColumns(const TableHeader& header, long header_line);
  void FirstPass(const DataLine& line, Well& well, long line_number);
  int ReadZoneCodes();
  int ReadWellInfo();
  void AssignCodes(
      const std::map<std::string, FirstSeen>& seen,
      std::map<std::string, long long>* codes) const;
  std::string RowEnd(const DataLine& line) const;

  const Options& options_;
  Reporter& reporter_;
  const std::int64_t step_;
  TableCopy copy_;
  WellFolders folders_;
  std::vector<Column> columns_;
  std::map<std::string, std::unique_ptr<Well>> wells_;
  std::vector<Well*> order_;
  std::map<std::string, Well*> by_first_name_;
  std::map<std::string, FirstSeen> zones_seen_;
  std::map<std::string, long long> zone_codes_;
  std::string null_row_end_;
  char depth_unit_ = 'M';
  // Intervals that hold no row, and the first of them.
  long thin_count_ = 0;
  long thin_line_ = 0;
  std::string thin_interval_;
  bool item_note_given_ = false;
};

#endif  // ZONE2LAS_CONVERT_STANDARD_RUN_H_
