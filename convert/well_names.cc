#include "convert/well_names.h"

#include <cstddef>

#include "platform/platform.h"

bool StaysInWorkingDirectory(const char* name) {
  if (name[0] == '/' || name[0] == '\\' || (name[0] && name[1] == ':'))
    return false;
  int depth = 0;
  const char* part = name;
  for (const char* p = name;; ++p) {
    if (*p == '/' || *p == '\\' || *p == '\0') {
      const std::size_t length = static_cast<std::size_t>(p - part);
      if (length == 2 && part[0] == '.' && part[1] == '.') {
        if (--depth < 0)
          return false;
      } else if (length > 0 && !(length == 1 && part[0] == '.')) {
        ++depth;
      }
      if (*p == '\0')
        break;
      part = p + 1;
    }
  }
  return true;
}

// Were two names of one file two wells, the second would replace the first
// one's file, and the first one's lines coming back would continue a file
// that is not its own.
std::string WellKey(const std::string& file_name) {
  char full_path[platform::kMaxPath];
  // A name too long to resolve is never written; its own text keeps it
  // apart, behind a byte that no resolved path holds.
  std::string key =
      platform::FullPath(full_path, file_name.c_str(), platform::kMaxPath)
          ? std::string(full_path)
          : "\n" + file_name;
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}
