#include "io/line_reader.h"

#include <cerrno>
#include <cstring>

LineReader::Status LineReader::Next(String* line, std::string* err) {
  char* const piece = piece_;
  bool joined = false;
  bool has_nul = false;
  bool too_long = false;
  for (;;) {
    // Only the bytes the read before may have changed are filled again.
    std::memset(piece, '\n', dirty_);
    dirty_ = kPieceBufferSize;
    file_.ReadLine(piece, static_cast<std::int32_t>(kPieceBufferSize));
    if (file_.HasFailed()) {
      *err = std::string("cannot read: ") +
             (errno != 0 ? std::strerror(errno) : "unknown error");
      return Status::kFailed;
    }
    // The file ends what it read with a terminator. With the buffer
    // pre-filled with non-zero bytes, the terminator is the last zero in it,
    // and any zero before it is a NUL byte of the data.
    std::size_t count = 0;
    const char* first_zero =
        static_cast<const char*>(std::memchr(piece, '\0', kPieceBufferSize));
    if (first_zero != nullptr && first_zero != piece &&
        first_zero[-1] == '\n') {
      // A line feed before the first zero: the read stopped there, so the
      // zero is the terminator, and no byte past it was written.
      count = static_cast<std::size_t>(first_zero - piece);
      dirty_ = count + 1;
    } else if (first_zero != nullptr) {
      const char* terminator = first_zero;
      const char* after = first_zero + 1;
      if (std::memchr(
              after, '\0',
              static_cast<std::size_t>(piece + kPieceBufferSize - after))) {
        // NUL bytes in the data: the terminator is the last zero, found from
        // the end, so that a piece of NULs costs one pass and not one search
        // per byte.
        terminator = piece + kPieceBufferSize - 1;
        while (*terminator != '\0') --terminator;
        has_nul = true;
      }
      count = static_cast<std::size_t>(terminator - piece);
    }
    const bool ends_line =
        (count > 0 && piece[count - 1] == '\n') || file_.AtEnd();
    if (!joined && ends_line && count == 0) return Status::kEnd;
    if (!joined && ends_line && !has_nul) {
      line->Assign(piece, static_cast<std::uint32_t>(count));
      ++line_number_;
      return Status::kText;
    }
    if (!joined) {
      long_line_.clear();
      joined = true;
    }
    if (long_line_.size() + count > max_line_bytes_) too_long = true;
    // A line that will be refused is not kept.
    if (!has_nul && !too_long) long_line_.append(piece, count);
    if (!ends_line) continue;
    ++line_number_;
    if (has_nul) {
      *err = "line holds a NUL byte; is this a text file?";
      return Status::kUnreadable;
    }
    if (too_long) {
      *err = "line is longer than " + std::to_string(max_line_bytes_ >> 20) +
             " MiB; is this a text file?";
      return Status::kUnreadable;
    }
    line->Assign(long_line_.c_str());
    return Status::kText;
  }
}
