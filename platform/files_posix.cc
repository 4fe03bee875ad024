// Held directories and file identities on POSIX systems: directory file
// descriptors and the *at calls, device and inode numbers.
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/path.h"
#include "platform/platform.h"

namespace platform {

namespace {

// A directory is held for the *at calls and fstat alone, which need no read
// permission on it; where the system has no such mode, it is opened for
// reading.
#ifdef O_PATH
constexpr int kHoldFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kHoldFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

constexpr int kNameAttempts = 100;

bool Fail(std::string* err, int code) {
  if (err != nullptr) *err = std::strerror(code);
  return false;
}

// What a directory reopened by name is when it is not the one first found,
// or a link or a file stands under its name.
bool Replaced(std::string* err) {
  if (err != nullptr) *err = "the directory was replaced";
  return false;
}

bool FailOpen(std::string* err, int code) {
  return code == ELOOP || code == ENOTDIR ? Replaced(err) : Fail(err, code);
}

int FailDescriptor(std::string* err, int code) {
  Fail(err, code);
  return -1;
}

FileIdentity IdentityOf(const struct stat& status) {
  FileIdentity identity;
  identity.device = static_cast<std::uint64_t>(status.st_dev);
  identity.file = static_cast<std::uint64_t>(status.st_ino);
  return identity;
}

// One component: no separator, not "." or "..".
bool IsPlainName(const char* name) {
  return internal::IsPlainName(name, "/");
}

std::string RandomName(const char* prefix) {
  static std::random_device device;
  return internal::RandomName(
      prefix, (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
                  static_cast<std::uint64_t>(::getpid()));
}

// The full path of the directory open on |descriptor|: what the system
// says the descriptor reaches where it can tell (Linux), else |spelling|
// with its links resolved, else |spelling| itself.
std::string ResolvedPath(int descriptor, const std::string& spelling) {
  char link[64];
  std::snprintf(link, sizeof(link), "/proc/self/fd/%d", descriptor);
  std::vector<char> target(PATH_MAX);
  ssize_t length = ::readlink(link, target.data(), target.size());
  if (length > 0 && static_cast<std::size_t>(length) < target.size() &&
      target[0] == '/') {
    return std::string(target.data(), static_cast<std::size_t>(length));
  }
  if (char* resolved = ::realpath(spelling.c_str(), nullptr)) {
    std::string path(resolved);
    std::free(resolved);
    return path;
  }
  return spelling;
}

}  // namespace

bool IdentifyPath(const char* path, FileIdentity* identity, std::string* err) {
  struct stat status;
  if (path == nullptr || ::stat(path, &status) != 0) {
    return Fail(err, path == nullptr ? EINVAL : errno);
  }
  if (identity != nullptr) *identity = IdentityOf(status);
  return true;
}

std::string FileNameKey(const char* name) {
  std::string key = name != nullptr ? name : "";
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

bool FullPath(const char* name, std::string* out, std::string* err) {
  std::vector<char> full(PATH_MAX);
  if (FullPath(full.data(), name, PATH_MAX)) {
    out->assign(full.data());
    return true;
  }
  if (internal::IsBlankName(name)) {
    if (err != nullptr) *err = "the name is blank";
    return false;
  }
  if (name[0] != '/' && name[0] != '\\') {
    std::vector<char> directory(PATH_MAX);
    if (::getcwd(directory.data(), directory.size()) == nullptr &&
        errno != ERANGE) {
      if (errno == ENOENT) {
        if (err != nullptr) *err = "the working directory no longer exists";
        return false;
      }
      return Fail(err, errno);
    }
  }
  return Fail(err, ENAMETOOLONG);
}

// The system's own mark for the working directory as a base.
const std::intptr_t Directory::kWorkingDirectory = AT_FDCWD;

bool Directory::OpenAt(std::intptr_t base, const std::string& base_path,
                       const char* path, std::string* err) {
  Close();
  if (path == nullptr || path[0] == '\0') return Fail(err, ENOENT);
  int descriptor = ::openat(static_cast<int>(base), path, kHoldFlags);
  if (descriptor < 0) return Fail(err, errno);
  struct stat status;
  if (::fstat(descriptor, &status) != 0) {
    int code = errno;
    ::close(descriptor);
    return Fail(err, code);
  }
  handle_ = descriptor;
  identity_ = IdentityOf(status);
  std::string spelling = path;
  if (path[0] != '/' && !base_path.empty()) spelling = base_path + "/" + path;
  path_ = ResolvedPath(descriptor, spelling);
  return true;
}

bool Directory::Reopen(const Directory& base, const std::string& relative,
                       const FileIdentity& identity, std::string* err) {
  Close();
  if (!base.IsOpen()) return Fail(err, EBADF);
  int descriptor = ::openat(static_cast<int>(base.handle_), ".", kHoldFlags);
  int code = errno;
  for (std::size_t start = 0; descriptor >= 0 && start < relative.size();) {
    const std::size_t end =
        std::min(relative.find('/', start), relative.size());
    const std::string part = relative.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    // ".." would climb above a folder that the identity check vouches for.
    const int next = part == ".." ? -1
                                  : ::openat(descriptor, part.c_str(),
                                             kHoldFlags | O_NOFOLLOW);
    code = part == ".." ? EINVAL : errno;
    ::close(descriptor);
    descriptor = next;
  }
  if (descriptor < 0) return FailOpen(err, code);
  struct stat status;
  if (::fstat(descriptor, &status) != 0 || IdentityOf(status) != identity) {
    ::close(descriptor);
    return Replaced(err);
  }
  handle_ = descriptor;
  identity_ = identity;
  path_ = ResolvedPath(descriptor, base.path_ + "/" + relative);
  return true;
}

bool Directory::ReopenPrivate(const Directory& parent, const std::string& name,
                              const FileIdentity& identity, std::string* err) {
  Close();
  if (!parent.IsOpen()) return Fail(err, EBADF);
  if (!IsPlainName(name.c_str())) return Fail(err, EINVAL);
  const int parent_descriptor = static_cast<int>(parent.handle_);
  const int descriptor =
      ::openat(parent_descriptor, name.c_str(), kHoldFlags | O_NOFOLLOW);
  if (descriptor < 0) return FailOpen(err, errno);
  // The same directory, still the run's own: a number that another user's
  // new directory took over is not enough.
  struct stat status;
  if (::fstat(descriptor, &status) != 0 || IdentityOf(status) != identity ||
      status.st_uid != ::geteuid()) {
    ::close(descriptor);
    return Replaced(err);
  }
  const int parent_copy = ::fcntl(parent_descriptor, F_DUPFD_CLOEXEC, 0);
  if (parent_copy < 0) {
    const int code = errno;
    ::close(descriptor);
    return Fail(err, code);
  }
  handle_ = descriptor;
  parent_handle_ = parent_copy;
  name_ = name;
  identity_ = identity;
  path_ = ResolvedPath(descriptor, parent.path_ + "/" + name);
  return true;
}

bool Directory::MakePrivate(const Directory& parent, const char* prefix,
                            std::string* err) {
  Close();
  if (!parent.IsOpen()) return Fail(err, EBADF);
  const int parent_descriptor = static_cast<int>(parent.handle_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    std::string name = RandomName(prefix != nullptr ? prefix : "");
    if (::mkdirat(parent_descriptor, name.c_str(), 0700) != 0) {
      if (errno == EEXIST) continue;
      return Fail(err, errno);
    }
    int descriptor =
        ::openat(parent_descriptor, name.c_str(), kHoldFlags | O_NOFOLLOW);
    struct stat status;
    if (descriptor < 0) return Fail(err, errno);
    // Between the mkdir and the open another user may have put a directory
    // of their own under the name: only one that the run owns is taken.
    // (Its mode is not looked at: file systems without permissions, FAT on
    // a removable drive, show the mount's mode instead of 0700.)
    if (::fstat(descriptor, &status) != 0 || status.st_uid != ::geteuid()) {
      ::close(descriptor);
      return Fail(err, EPERM);
    }
    int parent_copy = ::fcntl(parent_descriptor, F_DUPFD_CLOEXEC, 0);
    if (parent_copy < 0) {
      int code = errno;
      ::close(descriptor);
      ::unlinkat(parent_descriptor, name.c_str(), AT_REMOVEDIR);
      return Fail(err, code);
    }
    handle_ = descriptor;
    parent_handle_ = parent_copy;
    name_ = name;
    identity_ = IdentityOf(status);
    path_ = ResolvedPath(descriptor, parent.path_ + "/" + name);
    return true;
  }
  return Fail(err, EEXIST);
}

int Directory::CreateNewFile(const char* name, std::string* err) {
  if (!IsOpen()) return FailDescriptor(err, EBADF);
  if (!IsPlainName(name)) return FailDescriptor(err, EINVAL);
  int descriptor =
      ::openat(static_cast<int>(handle_), name,
               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (descriptor < 0) return FailDescriptor(err, errno);
  return descriptor;
}

int Directory::ReopenFile(const char* name, std::string* err) {
  if (!IsOpen()) return FailDescriptor(err, EBADF);
  if (!IsPlainName(name)) return FailDescriptor(err, EINVAL);
  // Non-blocking, so that a FIFO under the name cannot stop the run.
  int descriptor = ::openat(static_cast<int>(handle_), name,
                            O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return FailDescriptor(err, errno);
  struct stat status;
  int code = 0;
  if (::fstat(descriptor, &status) != 0) {
    code = errno;
  } else if (S_ISDIR(status.st_mode)) {
    code = EISDIR;
  } else if (!S_ISREG(status.st_mode)) {
    code = EINVAL;
  } else if (status.st_nlink != 1) {
    // A file in progress has one name; a second one could be a file
    // elsewhere that a hard link brought in.
    code = EMLINK;
  }
  // O_NONBLOCK stays: it changes nothing for a regular file.
  if (code != 0) {
    ::close(descriptor);
    return FailDescriptor(err, code);
  }
  return descriptor;
}

bool Directory::IdentifyFile(const char* name, FileIdentity* identity,
                             std::string* err) const {
  if (!IsOpen()) return Fail(err, EBADF);
  if (!IsPlainName(name)) return Fail(err, EINVAL);
  struct stat status;
  if (::fstatat(static_cast<int>(handle_), name, &status,
                AT_SYMLINK_NOFOLLOW) != 0) {
    return Fail(err, errno);
  }
  if (identity != nullptr) *identity = IdentityOf(status);
  return true;
}

bool Directory::MoveOut(const char* name, const Directory& target,
                        const char* target_name, std::string* err) {
  if (!IsOpen() || !target.IsOpen()) return Fail(err, EBADF);
  if (!IsPlainName(name) || !IsPlainName(target_name)) {
    return Fail(err, EINVAL);
  }
  if (::renameat(static_cast<int>(handle_), name,
                 static_cast<int>(target.handle_), target_name) != 0) {
    return Fail(err, errno);
  }
  return true;
}

bool Directory::Lock(bool wait, bool* busy, std::string* err) {
  *busy = false;
  if (!IsOpen()) return Fail(err, EBADF);
  if (lock_handle_ != kNoHandle) return true;
  // The held descriptor may be a path-only one, which cannot be locked: the
  // lock is taken on one opened for reading, kept open until the directory
  // is closed, when the lock goes with it.
  const int locked = ::openat(static_cast<int>(handle_), ".",
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (locked < 0) return Fail(err, errno);
  if (::flock(locked, LOCK_EX | (wait ? 0 : LOCK_NB)) == 0) {
    lock_handle_ = locked;
    return true;
  }
  const int code = errno;
  ::close(locked);
  *busy = code == EWOULDBLOCK;
  return Fail(err, code);
}

bool Directory::RemoveFile(const char* name, std::string* err) {
  if (!IsOpen()) return Fail(err, EBADF);
  if (!IsPlainName(name)) return Fail(err, EINVAL);
  if (::unlinkat(static_cast<int>(handle_), name, 0) != 0) {
    return Fail(err, errno);
  }
  return true;
}

bool Directory::RemoveSelf(std::string* err) {
  if (!IsOpen() || name_.empty()) return Fail(err, EINVAL);
  const int parent = static_cast<int>(parent_handle_);
  struct stat status;
  if (::fstatat(parent, name_.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
      IdentityOf(status) != identity_) {
    Close();
    if (err != nullptr) *err = "the directory was moved away";
    return false;
  }
  if (::unlinkat(parent, name_.c_str(), AT_REMOVEDIR) != 0) {
    return Fail(err, errno);
  }
  Close();
  return true;
}

void Directory::Close() {
  if (handle_ != kNoHandle) ::close(static_cast<int>(handle_));
  if (parent_handle_ != kNoHandle) ::close(static_cast<int>(parent_handle_));
  if (lock_handle_ != kNoHandle) ::close(static_cast<int>(lock_handle_));
  handle_ = kNoHandle;
  parent_handle_ = kNoHandle;
  lock_handle_ = kNoHandle;
  path_.clear();
  name_.clear();
  identity_ = FileIdentity();
}

std::size_t FoldersToHold() {
  // Three descriptors a folder (it, its private directory and that one's
  // parent), in each of the two sets of folders that a run may keep, beside
  // the few that the run needs anyway.
  constexpr std::size_t kMost = 16;
  struct rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 ||
      limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= 32 + 8 * kMost)
    return kMost;
  return limit.rlim_cur < 40
             ? 1
             : static_cast<std::size_t>((limit.rlim_cur - 32) / 8);
}

bool IsInside(const Directory& dir, const Directory& root) {
  if (!dir.IsOpen() || !root.IsOpen()) return false;
  FileIdentity current = dir.identity_;
  int descriptor = -1;
  int below = static_cast<int>(dir.handle_);
  bool inside = false;
  // Up through ".." until |root| or the top of the file system, where ".."
  // is the directory itself. The bound only guards against a loop.
  for (int depth = 0; depth < PATH_MAX; ++depth) {
    if (current == root.identity_) {
      inside = true;
      break;
    }
    int above = ::openat(below, "..", kHoldFlags);
    if (descriptor >= 0) ::close(descriptor);
    descriptor = above;
    struct stat status;
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0) break;
    FileIdentity parent = IdentityOf(status);
    if (parent == current) break;
    current = parent;
    below = descriptor;
  }
  if (descriptor >= 0) ::close(descriptor);
  return inside;
}

std::FILE* OpenStream(int descriptor, const char* mode, std::string* err) {
  std::FILE* stream = ::fdopen(descriptor, mode);
  if (stream == nullptr) {
    int code = errno;
    ::close(descriptor);
    Fail(err, code);
  }
  return stream;
}

bool TruncateStream(std::FILE* stream, std::int64_t size, std::string* err) {
  if (std::fflush(stream) != 0 ||
      ::ftruncate(::fileno(stream), static_cast<off_t>(size)) != 0) {
    Fail(err, errno);
    return false;
  }
  return true;
}

}  // namespace platform
