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
// Which file a well's name reaches, and so which names are one well, is the
// WellRegistry's to say.
#ifndef ZONE2LAS_CONVERT_WELL_FILES_H_
#define ZONE2LAS_CONVERT_WELL_FILES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/data_line.h"
#include "convert/report.h"
#include "convert/well_format.h"
#include "convert/well_names.h"
#include "convert/well_registry.h"
#include "convert/well_state.h"
#include "io/block_writer.h"
#include "io/disk_file.h"
#include "platform/files.h"
#include "text/string.h"

class WellFiles {
 public:
  // |format| writes every file's header and what follows a well's last
  // line; |table_path| is the zone table, which no well may replace; the
  // files go into |output_dir|, the working directory when it is empty.
  // Messages go to |reporter|.
  WellFiles(Reporter& reporter, WellFormat& format,
            const std::string& table_path,
            const std::string& output_dir = std::string());
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
  void SetFlatNames(bool flat) { registry_.SetFlatNames(flat); }

  // Sets |well| aside for the end of the run: a line of it lies above the
  // bottom of its line before (it goes upward or overlaps), so its lines are
  // to be taken again in depth order. Its file so far is dropped, and its
  // lines are skipped until EndDeferral. |number| is the number of the line
  // that sets it aside; returns the number of the well's first line whose
  // rows were not written: |number|, or the first of its lines that wait.
  long Defer(const String& well, long number);
  // Whether |well| is set aside.
  bool IsDeferred(const String& well);
  bool AnyDeferred() const { return !deferred_.empty(); }
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
  const void* Identity(const String& well) { return &registry_.Lookup(well); }
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

  // Once the whole table has been read: completes every well's file, the
  // current well's and each left without its closing row.
  void CompleteAll();
  // Then moves every complete well's file to its name (completing first
  // what is not).
  void Publish();
  // Drops every file in progress; nothing is published.
  void DiscardAll();

 private:
  using Well = WellRegistry::Well;

  // The well of |name|, with no lookup while it is the current well's.
  Well& Of(const String& name);
  // The bottom of |well|'s last accepted line, while it has one.
  bool LastBottom(const Well& well, double* bottom) const;
  void StartWell(Well& well);
  bool OpenInPartial(const Well& well, bool reopened, std::string* err);
  bool CreateWellFile(Well& well);
  void ResumeWell(Well& well);
  bool OpenWaitingFile(Well& well, std::string* err);
  bool CutAt(Well& well, std::int64_t size, std::string* err);
  void CompleteCurrent(bool at_end);
  bool CloseCurrent(Well& well);
  void FailWell(Well& well, const std::string& reason);
  void DropFile(Well& well);

  Reporter& reporter_;

  WellFormat& format_;
  WellFolders folders_;
  // Declared after the folders it places names in.
  WellRegistry registry_;

  DiskFile output_;
  // Declared after the file it writes to, so that it goes first.
  BlockWriter rows_;
  Well* current_ = nullptr;
  bool end_of_table_ = false;
  bool writing_ = false;
  String current_well_name_;
  WellState well_;

  // Wells whose files were started, in the order they came; and the wells
  // set aside.
  std::vector<Well*> order_;
  std::vector<Well*> deferred_;
};

#endif  // ZONE2LAS_CONVERT_WELL_FILES_H_
