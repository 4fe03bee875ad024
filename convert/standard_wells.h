// The wells of a standard run as the reading before the conversion finds
// them: each well's depth range, the ~Well items of the standard that its
// header lists, filled from columns of the zone table named for them or
// from the --well-info file, and the ~Parameter items that file adds.
#ifndef ZONE2LAS_CONVERT_STANDARD_WELLS_H_
#define ZONE2LAS_CONVERT_STANDARD_WELLS_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "convert/report.h"
#include "convert/well_names.h"

// The ~Well items beside STRT, STOP, STEP, NULL and WELL, in the order they
// are written; the first seven always, the rest only when given.
struct WellItem {
  const char* mnemonic;
  const char* description;
  bool always;
};
inline constexpr WellItem kWellItems[] = {
    {"COMP", "COMPANY", true},         {"FLD", "FIELD", true},
    {"LOC", "LOCATION", true},         {"PROV", "PROVINCE", true},
    {"SRVC", "SERVICE COMPANY", true}, {"DATE", "LOG DATE", true},
    {"UWI", "UNIQUE WELL ID", true},   {"CNTY", "COUNTY", false},
    {"STAT", "STATE", false},          {"CTRY", "COUNTRY", false},
    {"API", "API NUMBER", false},      {"LIC", "LICENCE NUMBER", false},
};
constexpr int kItemCount = sizeof(kWellItems) / sizeof(kWellItems[0]);
// WELL stands after COMP.
constexpr int kItemsBeforeWell = 1;

// The index in kWellItems of the item |mnemonic| names, letter case aside;
// -1 if none.
int ItemIndex(const std::string& mnemonic);

// One well: what its header says beside the rows.
struct StandardWell {
  std::size_t order = 0;  // its place in the order files are written
  std::string first_name;
  bool started = false;
  // Of the whole table.
  std::int32_t first_top_key = 0;
  std::int32_t last_bottom_key = 0;
  std::string items[kItemCount];
  // ~Parameter items from the well-info file: "NAME.UNIT", value, header.
  std::vector<std::pair<std::string, std::string>> parameters;
};

// The wells in the order their files are written, each known by the file
// its name reaches: names that reach one file are one well.
class StandardWells {
 public:
  // |output_dir|: the folder the files go to; null: the current one.
  explicit StandardWells(const char* output_dir);
  ~StandardWells();

  // The well whose file the well name |name| reaches; when it is not yet
  // known, added if |add|, else null. Null too when the name's file may not
  // or cannot be written: the conversion tells why.
  StandardWell* Find(const std::string& name, bool add);

  const std::vector<StandardWell*>& order() const { return order_; }

  // Readies ByFirstName once the wells are all known.
  void IndexFirstNames();
  // The well first met as |name|; null if none.
  const StandardWell* ByFirstName(const char* name) const;

 private:
  WellFolders folders_;
  std::map<std::string, std::unique_ptr<StandardWell>> by_key_;
  std::vector<StandardWell*> order_;
  std::map<std::string, StandardWell*> by_first_name_;
};

// Fills the ~Well and ~Parameter items of |wells| from the file |name|, a
// table with a WELL column and one column per item; nothing when |name| is
// null. An item the file gives replaces the zone table's. Returns 0, or
// kExitUsage once |reporter| has told what is wrong with the file: it cannot
// be read, has no WELL column, a column name no ~Parameter item may have or
// two that give one mnemonic, or lists a well twice. Wells the zone table
// lacks and wells the file lacks are noted, the first of each.
int ReadWellInfo(const char* name, StandardWells& wells, Reporter& reporter);

#endif  // ZONE2LAS_CONVERT_STANDARD_WELLS_H_
