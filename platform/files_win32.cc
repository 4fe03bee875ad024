// Held directories and file identities on Windows: directory handles
// opened without FILE_SHARE_DELETE, so that neither the directory nor any
// directory above it can be renamed or removed while it is held, and files
// reached by the held directory's own final path. Identities are the
// volume's serial number and the file index.
// Before every other header: the runtime and system headers below want it.
#include "platform/windows_headers.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_error_win32.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace platform {

namespace {

constexpr int kNameAttempts = 100;

// Access that holding a directory needs: listing and passing through it,
// and (for a private one) removing it through its handle.
constexpr DWORD kHoldAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

bool Fail(std::string* err, int code) {
  if (err != nullptr) *err = std::strerror(code);
  return false;
}

bool FailSystem(std::string* err, DWORD code) {
  if (err != nullptr) *err = FileErrorText(code);
  return false;
}

bool Replaced(std::string* err) {
  if (err != nullptr) *err = "the directory was replaced";
  return false;
}

int FailDescriptor(std::string* err, int code) {
  Fail(err, code);
  return -1;
}

HANDLE AsHandle(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// The ANSI text |text| in UTF-16, as the ANSI file calls read it.
std::wstring Widen(const char* text, UINT code_page = CP_ACP) {
  int length = MultiByteToWideChar(code_page, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, text, -1, &wide[0], length);
  wide.resize(static_cast<std::size_t>(length - 1));
  return wide;
}

std::string Narrow(const std::wstring& wide, UINT code_page = CP_ACP) {
  if (wide.empty()) return std::string();
  int length = WideCharToMultiByte(code_page, 0, wide.c_str(), -1, nullptr, 0,
                                   nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, wide.c_str(), -1, &text[0], length, nullptr,
                      nullptr);
  text.resize(static_cast<std::size_t>(length - 1));
  return text;
}

// One component: not empty, no separator or drive, not "." or "..".
bool IsPlainName(const char* name) {
  return internal::IsPlainName(name, "/\\:");
}

std::string RandomName(const char* prefix) {
  static std::uint64_t state = 0;
  if (state == 0) {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    state = static_cast<std::uint64_t>(counter.QuadPart) ^
            (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32);
  }
  // splitmix64: the names only need to differ; creating them exclusively
  // makes them safe.
  state += 0x9E3779B97F4A7C15ull;
  std::uint64_t bits = state;
  bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9ull;
  bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBull;
  bits ^= bits >> 31;
  return internal::RandomName(prefix, bits);
}

bool Inspect(HANDLE handle, BY_HANDLE_FILE_INFORMATION* information,
             FileIdentity* identity) {
  if (GetFileInformationByHandle(handle, information) == 0) return false;
  if (identity != nullptr) {
    identity->device = information->dwVolumeSerialNumber;
    identity->file =
        (static_cast<std::uint64_t>(information->nFileIndexHigh) << 32) |
        information->nFileIndexLow;
  }
  return true;
}

// The identity of what |path| reaches, with the CreateFile |flags| beside
// FILE_FLAG_BACKUP_SEMANTICS (which lets directories be opened too).
bool Identify(const std::wstring& path, DWORD flags, FileIdentity* identity,
              std::string* err) {
  HANDLE handle = CreateFileW(
      path.c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return FailSystem(err, GetLastError());
  BY_HANDLE_FILE_INFORMATION information;
  bool known = Inspect(handle, &information, identity);
  DWORD code = GetLastError();
  CloseHandle(handle);
  return known || FailSystem(err, code);
}

// The path of what |handle| reaches, in the "\\?\" form that lifts the
// length limit and takes every name as it is; empty on failure.
std::wstring FinalPath(HANDLE handle) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetFinalPathNameByHandleW(
        handle, buffer.data(), static_cast<DWORD>(buffer.size()),
        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return std::wstring();
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

// |path| without the "\\?\" that FinalPath puts before it, as a user would
// write it.
std::wstring UserPath(const std::wstring& path) {
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\" + path.substr(7);
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
  return path;
}

// The full path of the file |name| in the directory held by |handle|.
std::wstring PathIn(std::intptr_t handle, const char* name) {
  std::wstring directory = FinalPath(AsHandle(handle));
  if (directory.empty()) return std::wstring();
  if (directory.back() != L'\\') directory += L'\\';
  return directory + Widen(name);
}

// Opens the directory |path| for holding; |no_link| refuses a link or
// junction in its last component. INVALID_HANDLE_VALUE on failure, with
// |err| filled.
HANDLE OpenDirectoryHandle(const std::wstring& path, DWORD access, bool no_link,
                           FileIdentity* identity, std::string* err) {
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
  if (no_link) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE handle =
      CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    FailSystem(err, GetLastError());
    return INVALID_HANDLE_VALUE;
  }
  BY_HANDLE_FILE_INFORMATION information;
  int code = 0;
  if (!Inspect(handle, &information, identity)) {
    code = EACCES;
  } else if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    code = ENOTDIR;
  } else if (no_link &&
             (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    code = ELOOP;
  }
  if (code != 0) {
    CloseHandle(handle);
    Fail(err, code);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

// A C runtime descriptor that owns |handle|; -1, with the handle closed,
// on failure.
int DescriptorFor(HANDLE handle, std::string* err) {
  int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle),
                                   _O_RDWR | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(handle);
    return FailDescriptor(err, errno != 0 ? errno : EMFILE);
  }
  return descriptor;
}

// Opens the file |name| of the directory held by |directory| for reading
// and writing with the CreateFile |disposition|, never through a link;
// INVALID_HANDLE_VALUE, with |err| filled, on failure.
HANDLE OpenFileIn(std::intptr_t directory, const char* name, DWORD disposition,
                  std::string* err) {
  if (directory == -1) {
    Fail(err, EBADF);
    return INVALID_HANDLE_VALUE;
  }
  if (!IsPlainName(name)) {
    Fail(err, EINVAL);
    return INVALID_HANDLE_VALUE;
  }
  std::wstring path = PathIn(directory, name);
  HANDLE handle = CreateFileW(
      path.c_str(), GENERIC_READ | GENERIC_WRITE,
      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    // Opening a directory for writing is refused as a matter of access.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (code == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      Fail(err, EISDIR);
    } else {
      FailSystem(err, code);
    }
  }
  return handle;
}

bool IsAbsolute(const char* path) {
  return path[0] == '/' || path[0] == '\\' ||
         (path[0] != '\0' && path[1] == ':');
}

}  // namespace

bool IdentifyPath(const char* path, FileIdentity* identity, std::string* err) {
  if (path == nullptr) return Fail(err, EINVAL);
  return Identify(Widen(path), 0, identity, err);
}

std::string FileNameKey(const char* name) {
  std::wstring wide = Widen(name != nullptr ? name : "");
  if (!wide.empty()) {
    // NTFS compares names after mapping each UTF-16 unit to upper case,
    // without regard to the user's language.
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.c_str(),
                 static_cast<int>(wide.size()), &wide[0],
                 static_cast<int>(wide.size()));
  }
  return Narrow(wide, CP_UTF8);
}

bool FullPath(const char* name, std::string* out, std::string* err) {
  char full[kMaxPath];
  if (FullPath(full, name, kMaxPath)) {
    out->assign(full);
    return true;
  }
  if (internal::IsBlankName(name)) {
    if (err != nullptr) *err = "the name is blank";
    return false;
  }
  return Fail(err, ENAMETOOLONG);
}

// The system's own mark for the working directory as a base.
const std::intptr_t Directory::kWorkingDirectory = kNoHandle;

bool Directory::OpenAt(std::intptr_t base, const std::string& /*base_path*/,
                       const char* path, std::string* err) {
  Close();
  if (path == nullptr || path[0] == '\0') return Fail(err, ENOENT);
  std::wstring spelling = Widen(path);
  if (base != kNoHandle && !IsAbsolute(path)) {
    // Without "\\?\", so that the system folds "." and "..".
    std::wstring directory = UserPath(FinalPath(AsHandle(base)));
    if (directory.empty()) return FailSystem(err, GetLastError());
    if (directory.back() != L'\\') directory += L'\\';
    spelling = directory + spelling;
  }
  FileIdentity identity;
  HANDLE handle =
      OpenDirectoryHandle(spelling, kHoldAccess, false, &identity, err);
  if (handle == INVALID_HANDLE_VALUE) return false;
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  identity_ = identity;
  path_ = Narrow(UserPath(FinalPath(handle)));
  return true;
}

// A run on Windows holds every folder (FoldersToHold): these two serve only
// a caller that let go of one. The identity check is what keeps them safe.
bool Directory::Reopen(const Directory& base, const std::string& relative,
                       const FileIdentity& identity, std::string* err) {
  if (!Open(base, relative.empty() ? "." : relative.c_str(), err)) return false;
  if (identity_ == identity) return true;
  Close();
  return Replaced(err);
}

bool Directory::ReopenPrivate(const Directory& parent, const std::string& name,
                              const FileIdentity& identity, std::string* err) {
  Close();
  if (!parent.IsOpen()) return Fail(err, EBADF);
  if (!IsPlainName(name.c_str())) return Fail(err, EINVAL);
  FileIdentity found;
  HANDLE handle = OpenDirectoryHandle(PathIn(parent.handle_, name.c_str()),
                                      kHoldAccess | DELETE, true, &found, err);
  if (handle == INVALID_HANDLE_VALUE) return false;
  if (found != identity) {
    CloseHandle(handle);
    return Replaced(err);
  }
  handle_ = reinterpret_cast<std::intptr_t>(handle);
  name_ = name;
  identity_ = found;
  path_ = Narrow(UserPath(FinalPath(handle)));
  return true;
}

bool Directory::MakePrivate(const Directory& parent, const char* prefix,
                            std::string* err) {
  Close();
  if (!parent.IsOpen()) return Fail(err, EBADF);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = RandomName(prefix != nullptr ? prefix : "");
    std::wstring path = PathIn(parent.handle_, name.c_str());
    if (path.empty()) return FailSystem(err, GetLastError());
    if (CreateDirectoryW(path.c_str(), nullptr) == 0) {
      DWORD code = GetLastError();
      if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) continue;
      return FailSystem(err, code);
    }
    FileIdentity identity;
    HANDLE handle =
        OpenDirectoryHandle(path, kHoldAccess | DELETE, true, &identity, err);
    if (handle == INVALID_HANDLE_VALUE) {
      RemoveDirectoryW(path.c_str());
      return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    name_ = name;
    identity_ = identity;
    path_ = Narrow(UserPath(FinalPath(handle)));
    return true;
  }
  return Fail(err, EEXIST);
}

int Directory::CreateNewFile(const char* name, std::string* err) {
  // CREATE_NEW fails on anything under the name, a link included.
  HANDLE handle = OpenFileIn(handle_, name, CREATE_NEW, err);
  if (handle == INVALID_HANDLE_VALUE) return -1;
  return DescriptorFor(handle, err);
}

int Directory::ReopenFile(const char* name, std::string* err) {
  HANDLE handle = OpenFileIn(handle_, name, OPEN_EXISTING, err);
  if (handle == INVALID_HANDLE_VALUE) return -1;
  BY_HANDLE_FILE_INFORMATION information;
  int code = 0;
  if (!Inspect(handle, &information, nullptr)) {
    code = EACCES;
  } else if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    code = ELOOP;
  } else if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    code = EISDIR;
  }
  if (code != 0) {
    CloseHandle(handle);
    return FailDescriptor(err, code);
  }
  return DescriptorFor(handle, err);
}

bool Directory::IdentifyFile(const char* name, FileIdentity* identity,
                             std::string* err) const {
  if (!IsOpen()) return Fail(err, EBADF);
  if (!IsPlainName(name)) return Fail(err, EINVAL);
  return Identify(PathIn(handle_, name), FILE_FLAG_OPEN_REPARSE_POINT, identity,
                  err);
}

bool Directory::MoveOut(const char* name, const Directory& target,
                        const char* target_name, std::string* err) {
  if (!IsOpen() || !target.IsOpen()) return Fail(err, EBADF);
  if (!IsPlainName(name) || !IsPlainName(target_name)) {
    return Fail(err, EINVAL);
  }
  if (MoveFileExW(PathIn(handle_, name).c_str(),
                  PathIn(target.handle_, target_name).c_str(),
                  MOVEFILE_REPLACE_EXISTING) == 0) {
    return FailSystem(err, GetLastError());
  }
  return true;
}

bool Directory::Lock(bool wait, bool* busy, std::string* err) {
  *busy = false;
  if (!IsOpen()) return Fail(err, EBADF);
  if (lock_handle_ != kNoHandle) return true;
  // A directory cannot be locked as a file can: a mutex named after the
  // directory's identity stands for it, owned until the directory is closed.
  char name[96];
  std::snprintf(name, sizeof name, "Local\\zone2las-publish-%016llx-%016llx",
                static_cast<unsigned long long>(identity_.device),
                static_cast<unsigned long long>(identity_.file));
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
  if (mutex == nullptr) return FailSystem(err, GetLastError());
  for (;;) {
    const DWORD waited = WaitForSingleObject(mutex, wait ? 100 : 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
      lock_handle_ = reinterpret_cast<std::intptr_t>(mutex);
      return true;
    }
    if (waited != WAIT_TIMEOUT) {
      const DWORD code = GetLastError();
      CloseHandle(mutex);
      return FailSystem(err, code);
    }
    if (!wait || PendingInterrupt() != 0) {
      *busy = !wait;
      CloseHandle(mutex);
      return Fail(err, wait ? EINTR : EWOULDBLOCK);
    }
  }
}

bool Directory::RemoveFile(const char* name, std::string* err) {
  if (!IsOpen()) return Fail(err, EBADF);
  if (!IsPlainName(name)) return Fail(err, EINVAL);
  if (DeleteFileW(PathIn(handle_, name).c_str()) == 0) {
    return FailSystem(err, GetLastError());
  }
  return true;
}

bool Directory::RemoveSelf(std::string* err) {
  if (!IsOpen() || name_.empty()) return Fail(err, EINVAL);
  // Through the handle: the directory goes when the handle is closed, and
  // nothing else under its name can be hit.
  FILE_DISPOSITION_INFO disposition = {TRUE};
  if (SetFileInformationByHandle(AsHandle(handle_), FileDispositionInfo,
                                 &disposition, sizeof(disposition)) == 0) {
    return FailSystem(err, GetLastError());
  }
  Close();
  return true;
}

void Directory::Close() {
  if (handle_ != kNoHandle) CloseHandle(AsHandle(handle_));
  if (lock_handle_ != kNoHandle) {
    ReleaseMutex(AsHandle(lock_handle_));
    CloseHandle(AsHandle(lock_handle_));
  }
  handle_ = kNoHandle;
  lock_handle_ = kNoHandle;
  path_.clear();
  name_.clear();
  identity_ = FileIdentity();
}

std::size_t FoldersToHold() { return static_cast<std::size_t>(-1); }

bool IsInside(const Directory& dir, const Directory& root) {
  if (!dir.IsOpen() || !root.IsOpen()) return false;
  if (dir.identity_ == root.identity_) return true;
  // Final paths spell every name as the file system stores it, and a held
  // directory cannot be renamed, so a path below the root starts with the
  // root's path and a separator.
  std::wstring below = FinalPath(AsHandle(dir.handle_));
  std::wstring top = FinalPath(AsHandle(root.handle_));
  if (below.empty() || top.empty()) return false;
  if (top.back() != L'\\') top += L'\\';
  return below.size() > top.size() && below.compare(0, top.size(), top) == 0;
}

std::FILE* OpenStream(int descriptor, const char* mode, std::string* err) {
  std::FILE* stream = _fdopen(descriptor, mode);
  if (stream == nullptr) {
    int code = errno;
    _close(descriptor);
    Fail(err, code);
  }
  return stream;
}

bool TruncateStream(std::FILE* stream, std::int64_t size, std::string* err) {
  if (std::fflush(stream) != 0) {
    Fail(err, errno);
    return false;
  }
  const int code = _chsize_s(_fileno(stream), size);
  if (code != 0) {
    Fail(err, code);
    return false;
  }
  return true;
}

}  // namespace platform
