// The platform rules that do not depend on the system: path components and
// their split, blank and plain names, private names, and the heap limit that
// the tests set.
#include "platform/path.h"

#include <cstring>

#include "platform/platform.h"

namespace platform {

namespace {

std::size_t allocation_limit = 0;
int allocation_failures = 0;

}  // namespace

namespace internal {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

bool IsBlankName(const char* name) {
  if (name == nullptr) return true;
  for (; *name != '\0'; ++name) {
    if (std::strchr(" \t\n\r", *name) == nullptr) return false;
  }
  return true;
}

bool IsPlainName(const char* name, const char* separators) {
  if (name == nullptr || name[0] == '\0') return false;
  if (std::strpbrk(name, separators) != nullptr) return false;
  return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

std::string RandomName(const char* prefix, std::uint64_t bits) {
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  constexpr std::uint64_t kLetters = sizeof(kAlphabet) - 1;
  std::string name = prefix != nullptr ? prefix : "";
  for (int i = 0; i < 8; ++i) {
    name += kAlphabet[bits % kLetters];
    bits /= kLetters;
  }
  return name;
}

void CopyPart(const char* begin, const char* end, char* out, int limit) {
  if (out == nullptr) return;
  std::size_t length = static_cast<std::size_t>(end - begin);
  if (length > static_cast<std::size_t>(limit - 1)) length = limit - 1;
  std::memcpy(out, begin, length);
  out[length] = '\0';
}

void SplitPathByRules(const char* path, char* drive, char* directory,
                      char* title, char* extension,
                      bool (*is_lead_byte)(char)) {
  const char* rest = path;
  if (path[0] != '\0' && path[1] == ':') rest = path + 2;
  CopyPart(path, rest, drive, kMaxDrive);
  const char* end = rest + std::strlen(rest);
  const char* last_separator = nullptr;
  const char* last_dot = nullptr;
  for (const char* p = rest; p < end; ++p) {
    if (is_lead_byte != nullptr && is_lead_byte(*p) && p + 1 < end) {
      ++p;
      continue;
    }
    if (IsSeparator(*p)) last_separator = p;
    if (*p == '.') last_dot = p;
  }
  const char* file = last_separator != nullptr ? last_separator + 1 : rest;
  CopyPart(rest, file, directory, kMaxPart);
  if (last_dot != nullptr && last_dot >= file) {
    CopyPart(file, last_dot, title, kMaxPart);
    CopyPart(last_dot, end, extension, kMaxPart);
  } else {
    CopyPart(file, end, title, kMaxPart);
    CopyPart(end, end, extension, kMaxPart);
  }
}

bool OverLimit(std::size_t bytes) {
  return allocation_limit != 0 && bytes > allocation_limit;
}

void CountAllocationFailure() { ++allocation_failures; }

}  // namespace internal

int AllocationFailureCount() { return allocation_failures; }

void SetAllocationLimitForTesting(std::size_t bytes) {
  allocation_limit = bytes;
}

}  // namespace platform
