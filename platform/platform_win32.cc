// The platform layer on Windows: the process heap, the ANSI text routines of
// kernel32 and the runtime's path routines.

// Before every other header: the runtime and system headers below want it.
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_error_win32.h"
#include "platform/path.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/windows_headers.h"

namespace platform {

namespace {

using internal::IsBlankName;
using internal::IsSeparator;

// A block over the tests' limit fails as if the heap had none.
bool OverLimit(std::size_t bytes) {
  if (!internal::OverLimit(bytes)) return false;
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return true;
}

// The system's description of |code| without its closing line end.
std::string SystemMessage(DWORD code) {
  char* description = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<LPSTR>(&description), 0, nullptr);
  std::string text;
  if (length != 0 && description != nullptr) {
    text.assign(description, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
      text.pop_back();
    }
  } else {
    char fallback[64];
    std::snprintf(fallback, sizeof(fallback), "Error %lu",
                  static_cast<unsigned long>(code));
    text = fallback;
  }
  if (description != nullptr) LocalFree(description);
  return text;
}

}  // namespace

// The reason for a failed file call in the C runtime's words, so that a
// message reads the same whether fopen or a kernel32 call failed ("No such
// file or directory", not "The system cannot find the path specified.").
// Other codes keep the system's description, which says more than a
// general errno would (a name with "?" or "*" in it, for instance).
std::string FileErrorText(unsigned long code) {
  int error = 0;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_PATHNAME:
      error = ENOENT;
      break;
    case ERROR_FILENAME_EXCED_RANGE:
      error = ENAMETOOLONG;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
    case ERROR_CANNOT_MAKE:
      error = EACCES;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      error = EEXIST;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      error = ENOSPC;
      break;
    case ERROR_TOO_MANY_OPEN_FILES:
      error = EMFILE;
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      error = ENOMEM;
      break;
    case ERROR_NOT_SAME_DEVICE:
      error = EXDEV;
      break;
    case ERROR_DIR_NOT_EMPTY:
      error = ENOTEMPTY;
      break;
    case ERROR_INVALID_PARAMETER:
      error = EINVAL;
      break;
    default:
      return SystemMessage(code);
  }
  return std::strerror(error);
}

namespace {

// The second byte of a double-byte character is never a separator.
bool IsLeadByte(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != 0; }

std::uint64_t NextRandom() {
  static std::uint64_t state = 0;
  if (state == 0) {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    state = static_cast<std::uint64_t>(counter.QuadPart) ^
            (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^
            0x9E3779B97F4A7C15ull;
  }
  // splitmix64: the names only need to differ, CREATE_NEW makes them safe.
  state += 0x9E3779B97F4A7C15ull;
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

void* AllocateZeroed(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (OverLimit(bytes)) return nullptr;
  void* block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
  // HeapAlloc does not set the last error; the report needs one.
  if (block == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

void* ReallocateZeroed(void* block, std::size_t /*old_bytes*/,
                       std::size_t new_bytes) {
  if (block == nullptr) return AllocateZeroed(new_bytes);
  if (new_bytes == 0) new_bytes = 1;
  if (OverLimit(new_bytes)) return nullptr;
  // HEAP_ZERO_MEMORY zero-fills the bytes that the block gains.
  void* grown =
      HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, block, new_bytes);
  if (grown == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return grown;
}

void Release(void* block) {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

void ReportAllocationFailure(const char* caption) {
  DWORD code = GetLastError();
  internal::CountAllocationFailure();
  char* description = nullptr;
  // Language 0x0400: neutral with the default sublanguage, the user's own.
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0x0400, reinterpret_cast<LPSTR>(&description), 0, nullptr);
  char fallback[64];
  const char* text = description;
  if (length == 0 || description == nullptr) {
    std::snprintf(fallback, sizeof(fallback), "Error %lu",
                  static_cast<unsigned long>(code));
    text = fallback;
  }
  MessageBoxA(nullptr, text, caption, MB_ICONINFORMATION);
  if (description != nullptr) LocalFree(description);
}

int TextLength(const char* text) { return lstrlenA(text); }

void TextCopy(char* destination, const char* source) {
  if (destination == nullptr) return;
  lstrcpyA(destination, source != nullptr ? source : "");
}

int CompareNoCase(const char* a, const char* b) {
  return lstrcmpiA(a != nullptr ? a : "", b != nullptr ? b : "");
}

bool FullPath(char* out, const char* name, int size) {
  if (out == nullptr || size <= 0 || IsBlankName(name)) return false;
  // _fullpath may write into its buffer before it fails; |out| stays as it
  // was on failure.
  std::vector<char> full(static_cast<std::size_t>(size));
  if (_fullpath(full.data(), name, static_cast<std::size_t>(size)) == nullptr) {
    return false;
  }
  std::memcpy(out, full.data(), std::strlen(full.data()) + 1);
  return true;
}

void SplitPath(const char* path, char* drive, char* directory, char* title,
               char* extension) {
  if (path == nullptr) path = "";
  // The runtime's _splitpath stops the program on a part longer than its
  // buffer; such paths are split here by the same rules, cut to 255 bytes.
  if (std::strlen(path) >= _MAX_DIR) {
    internal::SplitPathByRules(path, drive, directory, title, extension,
                               IsLeadByte);
    return;
  }
  char drive_part[_MAX_DRIVE];
  char directory_part[_MAX_DIR];
  char title_part[_MAX_FNAME];
  char extension_part[_MAX_EXT];
  _splitpath(path, drive_part, directory_part, title_part, extension_part);
  if (drive != nullptr) lstrcpynA(drive, drive_part, kMaxDrive);
  if (directory != nullptr) lstrcpynA(directory, directory_part, kMaxPart);
  if (title != nullptr) lstrcpynA(title, title_part, kMaxPart);
  if (extension != nullptr) lstrcpynA(extension, extension_part, kMaxPart);
}

bool SeekFile(std::FILE* stream, std::int64_t offset, int origin) {
  return _fseeki64(stream, offset, origin) == 0;
}

std::int64_t TellFile(std::FILE* stream) {
  const __int64 offset = _ftelli64(stream);
  return offset < 0 ? -1 : static_cast<std::int64_t>(offset);
}

int WriteToDescriptor(std::FILE* stream, const char* bytes, std::size_t size) {
  // The files written this way are open in binary mode: _write copies their
  // bytes as they are, with no line feeds turned into CR LF.
  const int descriptor = _fileno(stream);
  constexpr std::size_t kMostAtOnce = std::size_t{1} << 30;
  while (size > 0) {
    const unsigned part =
        static_cast<unsigned>(size < kMostAtOnce ? size : kMostAtOnce);
    const int written = _write(descriptor, bytes, part);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (written == 0) return EIO;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

std::int64_t ReadFromDescriptor(std::FILE* stream, char* bytes,
                                std::size_t size) {
  constexpr std::size_t kMostAtOnce = std::size_t{1} << 30;
  const unsigned part =
      static_cast<unsigned>(size < kMostAtOnce ? size : kMostAtOnce);
  for (;;) {
    const int got = _read(_fileno(stream), bytes, part);
    if (got >= 0) return got;
    if (errno != EINTR || PendingInterrupt() != 0) return -1;
  }
}

bool SeekDescriptor(std::FILE* stream, std::int64_t offset, int origin) {
  return _lseeki64(_fileno(stream), offset, origin) >= 0;
}

std::int64_t DescriptorOffset(std::FILE* stream) {
  const __int64 offset = _lseeki64(_fileno(stream), 0, SEEK_CUR);
  return offset < 0 ? -1 : static_cast<std::int64_t>(offset);
}

std::FILE* CreateUniqueFile(const std::string& directory,
                            const std::string& prefix, std::string* path,
                            std::string* err) {
  std::string stem = directory;
  if (!stem.empty() && !IsSeparator(stem.back())) stem += "\\";
  stem += prefix;
  DWORD code = ERROR_FILE_EXISTS;
  // A clash with an existing name only costs another try; any other failure
  // (a missing or read-only directory) ends the search.
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[17];
    std::snprintf(suffix, sizeof(suffix), "%08lx",
                  static_cast<unsigned long>(NextRandom() & 0xFFFFFFFFu));
    std::string candidate = stem + suffix;
    HANDLE handle = CreateFileA(candidate.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      code = GetLastError();
      if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) continue;
      break;
    }
    int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle),
                             _O_RDWR | _O_BINARY);
    if (fd == -1) {
      CloseHandle(handle);
      DeleteFileA(candidate.c_str());
      if (err != nullptr) *err = std::strerror(errno);
      return nullptr;
    }
    std::FILE* stream = _fdopen(fd, "w+b");
    if (stream == nullptr) {
      int fd_error = errno;
      _close(fd);
      DeleteFileA(candidate.c_str());
      if (err != nullptr) *err = std::strerror(fd_error);
      return nullptr;
    }
    if (path != nullptr) *path = candidate;
    return stream;
  }
  if (err != nullptr) *err = FileErrorText(code);
  return nullptr;
}

bool CreateTemporaryFile(std::string* path, std::string* err) {
  char directory[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof(directory), directory);
  if (length == 0 || length > sizeof(directory)) {
    if (err != nullptr) *err = FileErrorText(GetLastError());
    return false;
  }
  // With 0 as the unique number the system picks the name and creates the
  // file, so the name is ours alone.
  char name[MAX_PATH];
  if (GetTempFileNameA(directory, "z2l", 0, name) == 0) {
    if (err != nullptr) *err = FileErrorText(GetLastError());
    return false;
  }
  if (path != nullptr) *path = name;
  return true;
}

}  // namespace platform
