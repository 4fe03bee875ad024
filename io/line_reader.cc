#include "io/line_reader.h"

#include <cerrno>
#include <cstring>

namespace {

// The file's buffer, terminator included: a line arrives in pieces of at
// most 2047 bytes.
constexpr int kPieceBufferSize = 2048;

}  // namespace

LineReader::Status LineReader::Next(String* line, std::string* err) {
  char piece[kPieceBufferSize];
  bool joined = false;
  bool has_nul = false;
  bool too_long = false;
  for (;;) {
    std::memset(piece, '\n', sizeof piece);
    file_.ReadLine(piece, kPieceBufferSize);
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
        static_cast<const char*>(std::memchr(piece, '\0', sizeof piece));
    if (first_zero) {
      const char* terminator = first_zero;
      const char* after = first_zero + 1;
      if (std::memchr(after, '\0',
                      static_cast<std::size_t>(piece + sizeof piece - after))) {
        // NUL bytes in the data: the terminator is the last zero, found from
        // the end, so that a piece of NULs costs one pass and not one search
        // per byte.
        terminator = piece + sizeof piece - 1;
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
