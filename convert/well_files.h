// WellFiles keeps the life of every well's LAS file: a well in progress is
// written into a private directory beside its final place and moved there
// only when it is complete (closing row, depth range, close), so that no
// half-written file ever carries a well's name. A well whose lines come back
// after other wells continues its finished file; a well that failed is
// reported once and its later lines are skipped.
#ifndef ZONE2LAS_CONVERT_WELL_FILES_H_
#define ZONE2LAS_CONVERT_WELL_FILES_H_

#include <cstdint>
#include <map>
#include <string>

#include "convert/data_line.h"
#include "convert/report.h"
#include "convert/well_state.h"
#include "io/disk_file.h"
#include "text/string.h"

class WellFiles {
 public:
  // Header and step make every file's LAS header; |table_path| is the zone
  // table's full path, which no well may replace. Every file goes under
  // |output_dir| (an existing folder; the current one when empty), out of
  // which no well name may climb. Messages go to |reporter|.
  WellFiles(Reporter& reporter, const TableHeader& header, double depth_step,
            const std::string& table_path, const std::string& output_dir = "");
  // Drops a well in progress and removes the private directories.
  ~WellFiles();

  WellFiles(const WellFiles&) = delete;
  WellFiles& operator=(const WellFiles&) = delete;

  // The state that |well|'s last accepted line left: the current well's, or
  // a finished well's, kept to go on from. Null for a well not seen yet and
  // for one whose lines are skipped.
  const WellState* Find(const String& well);

  // Whether |line| may join its well; its well is looked up before anything
  // is finished or started. False, with the reason in |err|, for a line that
  // its well refuses. Every line is accepted so far.
  bool Accepts(const DataLine& line, std::string* err);

  // Makes |well| the current well: finishes the one before it when the name
  // changes, then starts the well's file or continues its finished one.
  // True when the well's lines are written; false when they are skipped.
  bool SwitchTo(const String& well);

  // The current well, while SwitchTo last gave true.
  WellState& State() { return well_; }
  DiskFile& File() { return output_; }

  // Finishes the current well, if its file is being written.
  void FinishCurrent();
  // Drops the current well's file in progress; its finished file, if any,
  // stays as it was.
  void Discard();

 private:
  enum class Mode { kNone, kWriting, kSkipping };

  // What is kept of a finished well, so that its lines can continue the file
  // when they come back after other wells.
  struct FinishedWell {
    bool written = false;   // false: the well failed and its lines are skipped
    std::string file_name;  // as the user would write it, for messages
    std::string path;       // full path of the finished file
    std::int64_t closing_row_offset = 0;
    std::int64_t file_size = 0;
    // The well's state before its closing row, to go on from.
    WellState state;
  };

  const std::string& KeyOf(const String& well);
  void StartWell(const String& well);
  bool OpenWellFile(const std::string& final_name);
  bool ContinueWellFile(FinishedWell& finished);
  void FinishWell();
  void FailWell(FinishedWell& record, const std::string& reason);
  bool PartialDirectory(const std::string& folder, std::string* directory,
                        std::string* err);

  Reporter& reporter_;
  const TableHeader& header_;
  const double depth_step_;
  const std::string table_path_;
  // What goes before a well's file name: the output folder and a separator,
  // or nothing for the current folder.
  const std::string output_prefix_;

  DiskFile output_;
  Mode mode_ = Mode::kNone;
  String current_well_name_;
  WellState well_;
  std::string well_key_;
  std::string well_file_name_;   // "<well>.las" as given
  std::string well_final_path_;  // its full path
  std::string well_temp_path_;   // the file in progress
  int allocation_failures_at_well_start_ = 0;
  // The last name looked up, and its key.
  std::string looked_up_name_;
  std::string looked_up_key_;

  std::map<std::string, FinishedWell> wells_;
  // The private directory in which this run writes the wells of each folder
  // (by the folder's full path); removed when the run ends.
  std::map<std::string, std::string> partial_directories_;
};

#endif  // ZONE2LAS_CONVERT_WELL_FILES_H_
