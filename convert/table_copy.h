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

  // Whether |table|, open for reading, can go back to where it stands.
  static bool CanSeek(DiskFile& table);

  // Begins a copy of |table|, read up to its line |lines_read| and unable to
  // go back, in the run's private directory |partial|; Keep fills it as the
  // table is read, and the table is read again from it. The lines already
  // read stand in it as empty lines, so that every line keeps its number.
  // False, with the reason in |err|, when the copy cannot be begun.
  bool Follow(platform::Directory& partial, long lines_read,
              std::string* err);
  // Adds |size| bytes read from the table to the copy that Follow began.
  void Keep(const char* bytes, std::size_t size) {
    if (following_) copy_.Write(bytes, size);
  }

  // The file to read: the copy, or |table| itself.
  DiskFile& Source(DiskFile& table) { return copied_ ? copy_ : table; }

  // Removes the copy now: the run's private directory must be empty before
  // it goes.
  void Drop();

  // Goes back to the start of the file to read (a copy that Follow began is
  // completed first); false, with the reason in |err|, when it cannot.
  bool Rewind(DiskFile& table, std::string* err);

 private:
  bool MakeCopyFile(platform::Directory& directory, std::string* err);
  bool OpenCopyToRead(std::string* err);

  platform::Directory private_;
  // Where the copy is: private_, or the run's private directory.
  platform::Directory* directory_ = nullptr;
  DiskFile copy_;
  bool copied_ = false;
  bool following_ = false;
};

#endif  // ZONE2LAS_CONVERT_TABLE_COPY_H_
