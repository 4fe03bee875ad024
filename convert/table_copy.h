// TableCopy makes a table readable from its start again: a table that cannot
// go back (a pipe, a FIFO, a terminal) is copied whole into a private
// directory of the run, open to its owner only, and read from there; the
// copy goes with the object.
#ifndef ZONE2LAS_CONVERT_TABLE_COPY_H_
#define ZONE2LAS_CONVERT_TABLE_COPY_H_

#include <string>

#include "io/disk_file.h"
#include "platform/files.h"

class TableCopy {
 public:
  TableCopy() = default;
  ~TableCopy();
  TableCopy(const TableCopy&) = delete;
  TableCopy& operator=(const TableCopy&) = delete;

  // Readies |table|, open for reading and not yet read, to be read again:
  // a table that can seek stays as it is; any other is copied into a private
  // directory made in |folder| (the working directory when empty). False,
  // with the reason in |err|, when the copy cannot be made.
  bool Prepare(DiskFile& table, const std::string& folder, std::string* err);

  // The file to read: the copy, or |table| itself.
  DiskFile& Source(DiskFile& table) { return copied_ ? copy_ : table; }

  // Goes back to the start of the file to read; false, with the reason in
  // |err|, when it cannot.
  bool Rewind(DiskFile& table, std::string* err);

 private:
  platform::Directory private_;
  DiskFile copy_;
  bool copied_ = false;
};

#endif  // ZONE2LAS_CONVERT_TABLE_COPY_H_
