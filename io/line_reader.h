// LineReader hands out the whole lines of a DiskFile. It reads the file in
// large chunks and finds the lines in them, so that a line costs a search
// for its line feed and one copy; a line that runs past a chunk is joined
// from its pieces. It tells apart the lines that cannot be used as text:
// those that hold a NUL byte (a binary file) and those too long to keep (a
// file without line feeds), which are read to their end but not kept. The
// file is read ahead of the lines handed out, so nothing else reads it while
// the reader is in use.
#ifndef ZONE2LAS_IO_LINE_READER_H_
#define ZONE2LAS_IO_LINE_READER_H_

#include <cstddef>
#include <memory>
#include <string>

#include "io/disk_file.h"
#include "text/string.h"

class LineReader {
 public:
  // The longest line kept, far beyond any zone table's (ten thousand columns
  // take a few hundred kilobytes).
  static constexpr std::size_t kMaxLineBytes = std::size_t{64} << 20;

  enum class Status {
    kText,        // a line, in |line|
    kUnreadable,  // a line that holds a NUL byte or is too long; |err| says
    kEnd,         // no more lines
    kFailed,      // the file cannot be read; |err| says why
  };

  // Reads |file|, open for reading in binary mode and owned by the caller.
  explicit LineReader(DiskFile& file,
                      std::size_t max_line_bytes = kMaxLineBytes)
      : file_(file),
        max_line_bytes_(max_line_bytes),
        chunk_(new char[kChunkBytes]) {}

  // The next line, its line feed (if any) included. For a kUnreadable line
  // |err| gets "line holds a NUL byte; is this a text file?" or "line is
  // longer than 64 MiB; is this a text file?", and |line| is left as it was;
  // for kFailed, "cannot read: <the system's reason>".
  Status Next(String* line, std::string* err);

  // The number of the last line handed out, from 1.
  long line_number() const { return line_number_; }
  // The length of the last line handed out as kText, in bytes: what its
  // String holds, found as it was read.
  std::size_t length() const { return length_; }

 private:
  // The size of a read.
  static constexpr std::size_t kChunkBytes = std::size_t{1} << 16;

  // Reads the next chunk; false when the file cannot be read.
  bool Fill(std::string* err);

  DiskFile& file_;
  const std::size_t max_line_bytes_;
  long line_number_ = 0;
  std::size_t length_ = 0;
  // The pieces of a line that runs past a chunk.
  std::string long_line_;
  // The last chunk read, and the part of it not yet handed out.
  std::unique_ptr<char[]> chunk_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  // True once the file has given its last byte.
  bool at_end_ = false;
};

#endif  // ZONE2LAS_IO_LINE_READER_H_
