// WellRegistry knows the run's wells: which file each name reaches, and so
// which names are one well, and why a well's file may not be written (outside
// the output directory, in a folder that cannot be had, over the zone table).
// It keeps every well's record, which WellFiles fills with the life of the
// well's file.
//
// A well is known by the file it reaches: the identity of its folder
// (whatever link or spelling leads there) and its file name as the file
// system folds names. Nearly every line of a table looks up its well, so the
// name last looked up is answered without a search, and every spelling once
// looked up with one hash lookup.
#ifndef ZONE2LAS_CONVERT_WELL_REGISTRY_H_
#define ZONE2LAS_CONVERT_WELL_REGISTRY_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

#include "convert/report.h"
#include "convert/well_names.h"
#include "convert/well_state.h"
#include "platform/files.h"
#include "text/string.h"

class WellRegistry {
 public:
  // What is kept of a well between its lines.
  struct Well {
    // Where its file goes, set when a name first reaches it.
    std::string file_name;  // "<well>.las" as first written, for messages
    std::string base_name;  // the file's name inside its folder
    std::size_t folder = 0;
    bool failed = false;  // its lines are skipped

    // Its file's life, kept by WellFiles.
    bool has_file = false;      // its file exists in the private directory
    std::int64_t rows_end = 0;  // where its rows end in its file
    std::int64_t size = 0;      // of its file, in bytes
    bool completed = false;     // its file ends in its closing row and is whole
    bool continued = false;     // its lines came back after another well's
    bool deferred = false;      // its lines wait for the end of the run
    // While its latest lines wait for its turn: the number of the first of
    // them (0 while none waits), and the bottom of the last.
    long waiting_since = 0;
    double waiting_bottom = 0.0;
    WellState state;  // before its closing row

    // Under flat names: the name that first reached the file, until another
    // spelling reaches it too and is noted.
    std::string flat_source;
  };

  // The files go into the folders of |folders|, below |output_dir| (the
  // working directory when empty); |table_path| is the zone table, which no
  // well may replace. Notes go to |reporter|.
  WellRegistry(Reporter& reporter, WellFolders& folders,
               const std::string& table_path, const std::string& output_dir);

  WellRegistry(const WellRegistry&) = delete;
  WellRegistry& operator=(const WellRegistry&) = delete;

  // File names without folders (see FlatName).
  void SetFlatNames(bool flat) { flat_names_ = flat; }

  // The well whose file |name| reaches, made when the file is first reached:
  // the same for every name of one well, and valid for the whole run.
  Well& Lookup(const String& name) {
    // A name whose buffer could not be had reads as the empty text.
    const char* text = name.GetText() != nullptr ? name.GetText() : "";
    if (looked_up_ != nullptr && looked_up_name_ == text) return *looked_up_;
    return LookUpSpelling(name, text);
  }

  // Why |well|'s file may not be written, told once: true with the reason in
  // |message| the first time it is asked for a refused well.
  bool TakeRefusal(const Well& well, std::string* message);

 private:
  Well& LookUpSpelling(const String& name, const char* text);
  Well& LookUpAnew(const String& name);
  Well* RefusedWell(const std::string& file_name, const std::string& message);

  Reporter& reporter_;
  WellFolders& folders_;
  // What goes before a well's file name in messages: the output directory
  // and a separator, or nothing for the working directory.
  const std::string output_prefix_;
  bool has_table_identity_ = false;
  platform::FileIdentity table_identity_;
  bool flat_names_ = false;

  // The last name looked up, and its well; and every spelling looked up,
  // for tables whose wells take turns.
  std::string looked_up_name_;
  Well* looked_up_ = nullptr;
  std::unordered_map<std::string, Well*> by_spelling_;

  // Wells by the file they reach.
  std::map<std::string, Well> wells_;
  // Why a well's file cannot be written, until told; kept apart from the
  // wells, as few have one.
  std::map<const Well*, std::string> refusals_;
};

#endif  // ZONE2LAS_CONVERT_WELL_REGISTRY_H_
