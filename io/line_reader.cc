#include "io/line_reader.h"

#include <cerrno>
#include <cstring>

bool LineReader::Fill(std::string* err) {
  begin_ = 0;
  end_ = 0;
  errno = 0;
  const std::int64_t got = file_.ReadSome(chunk_.get(), kChunkBytes);
  if (got < 0) {
    *err = std::string("cannot read: ") +
           (errno != 0 ? std::strerror(errno) : "unknown error");
    return false;
  }
  // A pipe gives what it holds, so that each line is handed out as soon as
  // it has come; only a read of nothing is the end.
  end_ = static_cast<std::size_t>(got);
  if (got == 0) at_end_ = true;
  return true;
}

LineReader::Status LineReader::Next(String* line, std::string* err) {
  bool joined = false;
  bool has_nul = false;
  bool too_long = false;
  std::size_t length = 0;
  for (;;) {
    if (begin_ == end_) {
      if (!at_end_ && !Fill(err)) return Status::kFailed;
      if (begin_ == end_) {
        // The file ends: with the last line, if it has no line feed.
        if (!joined) return Status::kEnd;
        break;
      }
    }
    const char* const start = chunk_.get() + begin_;
    const std::size_t available = end_ - begin_;
    const char* const feed =
        static_cast<const char*>(std::memchr(start, '\n', available));
    const std::size_t count = feed != nullptr
                                  ? static_cast<std::size_t>(feed - start) + 1
                                  : available;
    begin_ += count;
    if (std::memchr(start, '\0', count) != nullptr) has_nul = true;
    length += count;
    if (length > max_line_bytes_) too_long = true;
    if (!joined && feed != nullptr && !has_nul && !too_long) {
      line->Assign(start, static_cast<std::uint32_t>(count));
      length_ = count;
      ++line_number_;
      return Status::kText;
    }
    if (!joined) {
      long_line_.clear();
      joined = true;
    }
    // A line that will be refused is not kept.
    if (!has_nul && !too_long) long_line_.append(start, count);
    if (feed != nullptr) break;
  }
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
  line->Assign(long_line_.data(),
               static_cast<std::uint32_t>(long_line_.size()));
  length_ = long_line_.size();
  return Status::kText;
}
