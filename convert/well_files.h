// WellFiles keeps the life of every well's LAS file. Every well is written
// into the run's private directory beside its final place, a directory that
// the run made itself and holds open (or reopens only as that directory: see
// WellFolders), so that nothing another process does to names can redirect
// a write. A well whose lines stop is completed there
// (closing row, depth range) and closed. When its lines come back, they wait
// (see ReturningLines) and its file is reopened and continued in place. Only
// once the table has been read is each complete well moved to its name, so a
// run that is stopped publishes nothing and two runs in one folder never mix
// their wells.
//
// A well is known by the file it reaches: the identity of its folder
// (whatever link or spelling leads there) and its file name as the file
// system folds names.
#ifndef ZONE2LAS_CONVERT_WELL_FILES_H_
#define ZONE2LAS_CONVERT_WELL_FILES_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "convert/data_line.h"
#include "convert/report.h"
#include "convert/well_format.h"
#include "convert/well_names.h"
#include "convert/well_state.h"
#include "io/block_writer.h"
#include "io/disk_file.h"
#include "platform/files.h"
#include "text/string.h"

class WellFiles {
 public:
  // Header and step make every file's LAS header; |table_path| is the zone
  // table, which no well may replace; the files go into |output_dir|, the
  // working directory when it is empty. Messages go to |reporter|. With
  // |format|, it writes every file's header and end instead.
  WellFiles(Reporter& reporter, const TableHeader& header, double depth_step,
            const std::string& table_path,
            const std::string& output_dir = std::string(),
            WellFormat* format = nullptr);
  // Drops whatever was not published: files in progress and the private
  // directories.
  ~WellFiles();

  WellFiles(const WellFiles&) = delete;
  WellFiles& operator=(const WellFiles&) = delete;

  // Whether |line| may join its well: its top must not lie above the bottom
  // of the well's last accepted line. The well is looked up before anything
  // is finished or started. False, with the reason in |err|, otherwise.
  bool Accepts(const DataLine& line, std::string* err);

  // Whether |line|, number |number| of the table and accepted, comes back to
  // its well after other wells' lines: its well has a file that is not the
  // current one. Then the line waits for its well's turn (see
  // ReturningLines), and is the well's last accepted line from now on.
  bool Waits(const DataLine& line, long number);

  // Whether |line| comes back to its well after other wells' lines and
  // leaves more than |most_keys| depth keys (millimetres) below the well's
  // last line: its rows would bridge a gap that the table's later lines may
  // well fill, as in a table whose lines are shuffled.
  bool ReturnsAcrossGap(const DataLine& line, std::int64_t most_keys);

  // File names without folders: every character that a file name cannot
  // hold on some system becomes '_' (see FlatName); the WELL line keeps the
  // name as written.
  void SetFlatNames(bool flat) { flat_names_ = flat; }

  // Sets |well| aside for the end of the run: a line of it lies above the
  // bottom of its line before (it goes upward or overlaps), so its lines are
  // to be taken again in depth order. Its file so far is dropped, and its
  // lines are skipped until EndDeferral. |number| is the number of the line
  // that sets it aside; returns the number of the well's first line whose
  // rows were not written: |number|, or the first of its lines that wait.
  long Defer(const String& well, long number);
  // Whether |well| is set aside.
  bool IsDeferred(const String& well);
  bool AnyDeferred() const { return deferred_count_ > 0; }
  // The run's private directory in the output directory; null, with the
  // reason in |err|, when it cannot be had.
  platform::Directory* PrivateDirectory(std::string* err) {
    return folders_.OutputPartial(err);
  }
  // Takes the lock that runs publishing into the output directory take in
  // turn; see platform::Directory::Lock.
  bool LockPublication(bool wait, bool* busy, std::string* err) {
    return folders_.LockOutput(wait, busy, err);
  }
  // The same for every name of one well (names that reach one file), and
  // for no other.
  const void* Identity(const String& well) { return &Lookup(well); }
  // The wells set aside take lines again, from a fresh file.
  void EndDeferral();

  // Makes |well| the current well: completes the one before it when the name
  // changes, then starts the well's file or reopens it where its rows end.
  // True when the well's lines are written; false when they are skipped.
  bool SwitchTo(const String& well);

  // The whole table has been read: from now on every well left is completed
  // (closing row, depth range), even one whose lines came back before.
  void EndOfTable() { end_of_table_ = true; }

  // The current well, while SwitchTo last gave true, and the way its rows
  // go to its file.
  WellState& State() { return well_; }
  BlockWriter& Rows() { return rows_; }

  // Once the whole table has been read: completes the current well and moves
  // every complete well's file to its name.
  void Publish();
  // Drops every file in progress; nothing is published.
  void DiscardAll();

 private:
  // What is kept of a well between its lines.
  struct Well {
    bool failed = false;    // its lines are skipped
    bool has_file = false;  // its file exists in the private directory
    std::string file_name;  // "<well>.las" as first written, for messages
    std::string base_name;  // the file's name inside its folder
    std::size_t folder = 0;
    std::int64_t rows_end = 0;  // where its rows end in its file
    std::int64_t size = 0;      // of its file, in bytes
    bool completed = false;     // its file ends in its closing row and is whole
    bool continued = false;     // its lines came back after another well's
    bool deferred = false;      // its lines wait for the end of the run
    // Its latest lines wait for its turn, the last of them ending at
    // |waiting_bottom|.
    bool waiting = false;
    double waiting_bottom = 0.0;
    long waiting_since = 0;  // the number of its first line that waits
    // Under flat names: the name that first reached the file, until another
    // spelling reaches it too and is noted.
    std::string flat_source;
    WellState state;  // before its closing row
  };

  Well& Lookup(const String& name);
  // The well of |name|, with no lookup while it is the current well's.
  Well& Of(const String& name);
  // The bottom of |well|'s last accepted line, while it has one.
  bool LastBottom(const Well& well, double* bottom) const;
  Well& LookUpAnew(const String& name);
  Well* RefusedWell(const std::string& file_name, const std::string& message);
  void StartWell(Well& well);
  bool OpenInPartial(const Well& well, bool reopened, std::string* err);
  bool CreateWellFile(Well& well);
  void ResumeWell(Well& well);
  bool OpenWaitingFile(Well& well, std::string* err);
  bool CutAtEnd(Well& well, std::string* err);
  void CompleteCurrent(bool at_end);
  bool KeepState(Well& well);
  bool CloseCurrent(Well& well);
  void FailWell(Well& well, const std::string& reason);
  void DropFile(Well& well);

  Reporter& reporter_;
  const TableHeader& header_;
  const double depth_step_;
  const std::string table_path_;
  // What goes before a well's file name in messages: the output directory
  // and a separator, or nothing for the working directory.
  const std::string output_prefix_;

  WellFormat* const format_;
  WellFolders folders_;
  bool has_table_identity_ = false;
  platform::FileIdentity table_identity_;

  DiskFile output_;
  // Declared after the file it writes to, so that it goes first.
  BlockWriter rows_;
  Well* current_ = nullptr;
  bool end_of_table_ = false;
  bool writing_ = false;
  String current_well_name_;
  WellState well_;
  int allocation_failures_at_start_ = 0;
  // The last name looked up, and its well; and every spelling looked up,
  // for tables whose wells take turns.
  std::string looked_up_name_;
  Well* looked_up_ = nullptr;
  std::unordered_map<std::string, Well*> by_spelling_;

  // Wells by the file they reach, and in the order they came.
  std::map<std::string, Well> wells_;
  // Why a well's file cannot be written, until told; kept apart from the
  // wells, as few have one.
  std::map<const Well*, std::string> refusals_;
  std::vector<Well*> order_;
  int deferred_count_ = 0;
  bool flat_names_ = false;
};

#endif  // ZONE2LAS_CONVERT_WELL_FILES_H_
