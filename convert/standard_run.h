// StandardRun makes files that keep every rule of LAS 2.0: rows at whole
// multiples of the step, numbers only in the data section (zones and the
// values of text columns as integer codes, listed in ~Parameter), and every
// ~Well item of the standard. It reads the table once before the conversion
// to learn the wells' depth ranges, the codes and the well items, so that
// every header is whole before the first row. standard_run.cc holds that
// reading, standard_output.cc the writing of the headers and rows.
#ifndef ZONE2LAS_CONVERT_STANDARD_RUN_H_
#define ZONE2LAS_CONVERT_STANDARD_RUN_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "convert/data_line.h"
#include "convert/options.h"
#include "convert/report.h"
#include "convert/standard_codes.h"
#include "convert/standard_grid.h"
#include "convert/standard_wells.h"
#include "convert/table_copy.h"
#include "convert/well_format.h"

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
  using LineVisitor = std::function<void(const DataLine&, StandardWell&, long)>;

  // A value that is missing: no text, or the NULL value.
  static bool IsNull(const char* text);
  static bool IsNull(const String& text) { return IsNull(text.GetText()); }
  // |text| with its ASCII letters in upper case, as mnemonics are written.
  static std::string Upper(std::string text);

  bool ReadTable(DiskFile& table, TableHeader* header, std::string* err,
                 const LineVisitor& visit);
  bool SetColumns(const TableHeader& header, long header_line);
  void FirstPass(const DataLine& line, StandardWell& well, long line_number);
  std::string RowEnd(const DataLine& line) const;
  // The items of ~Parameter that list the codes of the run, the same in
  // every file: made once, for the first file's header.
  std::string CodeItems() const;

  const Options& options_;
  Reporter& reporter_;
  const std::int64_t step_;
  TableCopy copy_;
  std::vector<Column> columns_;
  StandardWells wells_;
  std::map<std::string, FirstSeen> zones_seen_;
  std::map<std::string, long long> zone_codes_;
  std::string null_row_end_;
  char depth_unit_ = 'M';
  // Intervals that hold no row, and the first of them.
  long thin_count_ = 0;
  long thin_line_ = 0;
  std::string thin_interval_;
  bool item_note_given_ = false;
  std::string code_items_;
  bool code_items_made_ = false;
};

#endif  // ZONE2LAS_CONVERT_STANDARD_RUN_H_
