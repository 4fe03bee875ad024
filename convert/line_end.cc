#include "convert/line_end.h"

#include <cstring>

const char kMixedLineEndsReason[] =
    "a carriage return (\\r) stands before the end of the line: the table "
    "mixes line ends, and records would run together; save it with LF or "
    "CRLF line ends";

std::size_t LineContentLength(const char* line, std::size_t length) {
  if (length > 0 && line[length - 1] == '\n') --length;
  while (length > 0 && line[length - 1] == '\r') --length;
  return length;
}

bool CheckLineEnd(const char* line, std::size_t length, std::string* err) {
  if (std::memchr(line, '\r', LineContentLength(line, length)) == nullptr)
    return true;
  *err = kMixedLineEndsReason;
  return false;
}
