// DiskFile pairs the path name of one file with at most one open stream on it.
// It is the program's only way to reach files.
//
// Opens close the stream first and report success as true/false; nothing is
// printed except by Remove and Rename. Close reports whether everything
// written reached the file, so that no caller can take a failed write for a
// finished one.
#ifndef ZONE2LAS_IO_DISK_FILE_H_
#define ZONE2LAS_IO_DISK_FILE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "text/string.h"

class DiskFile {
 public:
  DiskFile();
  // Stores |name| exactly as passed: no blank test, no resolution.
  explicit DiskFile(const char* name);
  virtual ~DiskFile();

  DiskFile(const DiskFile&) = delete;
  DiskFile& operator=(const DiskFile&) = delete;

  // Resolves |text| to a full path and makes it the name. A blank text
  // changes nothing; a name that cannot be resolved leaves the name empty,
  // with the reason in |err| when given.
  void SetName(const char* text, std::string* err = nullptr);

  // Binary mode when |text_mode| is false.
  bool OpenRead(bool text_mode);         // "rt" / "rb"
  bool OpenWrite(bool text_mode);        // "wt" / "wb"
  bool OpenReadUpdate(bool text_mode);   // "r+t" / "r+b"
  bool OpenWriteUpdate(bool text_mode);  // "w+t" / "w+b"
  bool OpenAppend(bool text_mode);       // "at" / "ab"
  // Opens a fresh file in the system's temporary directory, created
  // exclusively so that no other process can claim the name, in append mode.
  bool OpenTemporary(bool text_mode);

  // Takes the file open on |descriptor| (from a held directory) for writing
  // in binary mode, its bytes kept, under the name |name| as passed, with the
  // position at its start. Closes the stream before. False, with the
  // system's reason in |err|, when no stream can be made; the descriptor is
  // closed then.
  bool Adopt(int descriptor, const char* name, std::string* err);

  // Moves to |offset| from the start. False, with the system's reason in
  // |err|, when the stream cannot go there.
  bool SeekTo(std::int64_t offset, std::string* err);

  // Goes back to the start to read the file again, its end and error
  // indicators cleared. False, with the system's reason in |err|, when the
  // stream cannot go there (a pipe).
  bool Rewind(std::string* err);

  // Cuts the file to its first |size| bytes and leaves the position at its
  // new end. False, with the system's reason in |err|, on failure.
  bool Truncate(std::int64_t size, std::string* err);

  // Closes the stream, if any. False when something written did not reach
  // the file (a failed write, seek, flush or close, or an error the stream
  // met on its own); |err| then gets the system's reason. Closing a closed
  // object gives true.
  bool Close(std::string* err = nullptr);

  // Gives the open stream a buffer of |bytes| bytes, owned by this object
  // and kept for later opens, so that output reaches the file in few large
  // writes. Call it right after an open, before anything is read or written.
  void SetBufferSize(std::size_t bytes);

  // True once a read has met the end of the file, or has failed: a stream
  // that cannot be read any more is at its end too. True without a stream.
  bool AtEnd() const;
  // True once a read or write on the stream has failed; false without one.
  bool HasFailed() const;
  // Reads at most |size| - 1 bytes, up to and including a line feed.
  void ReadLine(char* buffer, std::int32_t size);
  // The next line with its line feed, in pieces of at most 2047 bytes; the
  // empty text at the end of the file or without a stream.
  void ReadLine(String& line);

  // Reads up to |size| bytes into |bytes|; returns how many were read, fewer
  // only at the end of the file or on a failure (HasFailed tells which).
  std::size_t Read(char* bytes, std::size_t size);
  // Reads at most |size| bytes in one read of the file, past the stream (for
  // a reader that reads the file through ReadSome alone, from an open or a
  // seek): what a pipe holds at the moment, or the next |size| bytes of a
  // file. Returns how many, 0 at the end; -1 on a failure, with errno set.
  std::int64_t ReadSome(char* bytes, std::size_t size);

  // A failed write is remembered for Close. A null text writes nothing.
  void Write(const char* text);
  // Writes |size| bytes of |bytes|, zero bytes included.
  void Write(const char* bytes, std::size_t size);
  // Writes |size| bytes of |bytes| straight to the file, past the stream's
  // buffer (whose bytes go first), for blocks that are large already: each
  // byte is copied once, into the system. A failure is remembered for Close
  // like a failed Write, and gives false.
  bool WriteThrough(const char* bytes, std::size_t size);
  // Formatted output, as fprintf on the stream; a failure is remembered for
  // Close like a failed Write.
  void Print(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  // Offsets are 64 bits on every system, so that files beyond 2 GiB are
  // told and reached exactly.
  void Seek(std::int64_t offset);
  void SeekStart();
  void SeekEnd();
  // The byte offset from the start of the file; -1 when it cannot be told
  // (no stream).
  std::int64_t Tell() const;
  // The file's size in bytes, found by a seek to its end; the stream stands
  // at the end afterwards. -1 when it cannot be told.
  std::int64_t Size();

  // Name queries. When |buffer| is given the part is copied into it too; it
  // must hold the part (platform::kMaxPart bytes always do, kMaxDrive for the
  // drive, the whole name for GetFullName).
  String GetFullName(char* buffer = nullptr) const;
  String GetTitle(char* buffer = nullptr) const;
  String GetExtension(char* buffer = nullptr) const;
  String GetDrive(char* buffer = nullptr) const;
  String GetDirectory(char* buffer = nullptr) const;

  // Null while closed.
  std::FILE* GetStream() const { return stream; }

  // Close, then delete the file; a failure is reported on standard error.
  void Remove();
  // Close, then rename the file; on success the name becomes |new_name| as
  // passed. A failure is reported on standard error and gives false.
  bool Rename(const char* new_name);

 protected:
  virtual void OnCreate() {}
  virtual void OnDestroy() {}

 private:
  bool Open(const char* mode);
  void SeekTo(std::int64_t offset, int origin);
  // The name's text, the empty text when the name has no buffer.
  const char* NameText() const;
  // After WriteThrough, moves the stream to the file's offset, which it does
  // not know (it may still hold the offset before), before the stream is
  // used again.
  void Settle() const;

  std::FILE* stream;
  String name;
  // Set to 0 by every constructor and kept for the layout; never read.
  [[maybe_unused]] std::int32_t reserved;
  // errno of the first failed Write or seek since the open, 0 when none
  // failed; Close reports it.
  int write_error;
  // True after WriteThrough or ReadSome, until the stream has been told the
  // file's offset again (see Settle).
  mutable bool past_stream = false;
  // True once ReadSome has read the file, until the stream is used again:
  // seeks go to the file itself, as a seek of a stream that reads may fill
  // its buffer from the file and leave the file's offset past its own.
  mutable bool read_through = false;
  // The stream's buffer from SetBufferSize; declared after the stream, but
  // the destructor closes the stream before any member goes.
  std::vector<char> stream_buffer;
};

#endif  // ZONE2LAS_IO_DISK_FILE_H_
