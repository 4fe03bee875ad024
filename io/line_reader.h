// LineReader hands out the whole lines of a DiskFile. The file reads a line
// in pieces of at most 2047 bytes; the reader joins them, so that no piece
// of a long line is taken for a line of its own, and it tells apart the
// lines that cannot be used as text: those that hold a NUL byte (a binary
// file) and those too long to keep (a file without line feeds), which are
// read to their end but not kept.
#ifndef ZONE2LAS_IO_LINE_READER_H_
#define ZONE2LAS_IO_LINE_READER_H_

#include <cstddef>
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
      : file_(file), max_line_bytes_(max_line_bytes) {}

  // The next line, its line feed (if any) included. For a kUnreadable line
  // |err| gets "line holds a NUL byte; is this a text file?" or "line is
  // longer than 64 MiB; is this a text file?", and |line| is left as it was;
  // for kFailed, "cannot read: <the system's reason>".
  Status Next(String* line, std::string* err);

  // The number of the last line handed out, from 1.
  long line_number() const { return line_number_; }

 private:
  DiskFile& file_;
  const std::size_t max_line_bytes_;
  long line_number_ = 0;
  // The pieces of a line longer than one read.
  std::string long_line_;
  // The file's buffer, terminator included: a line arrives in pieces of at
  // most 2047 bytes. Before each read every byte is a line feed, so that the
  // zeros after it are the terminator and the NUL bytes of the data.
  static constexpr std::size_t kPieceBufferSize = 2048;
  char piece_[kPieceBufferSize];
  // The bytes from the start that the last read may have changed.
  std::size_t dirty_ = kPieceBufferSize;
};

#endif  // ZONE2LAS_IO_LINE_READER_H_
