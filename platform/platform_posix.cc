// The platform layer on POSIX systems: the C library stands in for the
// Windows process heap, the ANSI text routines, _fullpath and _splitpath.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/path.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace platform {

namespace {

using internal::IsBlankName;
using internal::IsSeparator;

// A block over the tests' limit fails as if the heap had none.
bool OverLimit(std::size_t bytes) {
  if (!internal::OverLimit(bytes)) return false;
  errno = ENOMEM;
  return true;
}

bool CurrentDirectory(std::string* directory) {
  std::vector<char> buffer(256);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      directory->assign(buffer.data());
      return true;
    }
    if (errno != ERANGE || buffer.size() > (1u << 20)) return false;
    buffer.resize(buffer.size() * 2);
  }
}

// Adds the components of |path| to |parts|, folding "." and "..". A ".."
// at the root stays at the root.
void AddComponents(const std::string& path, std::vector<std::string>* parts) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts->empty()) parts->pop_back();
    } else if (!part.empty() && part != ".") {
      parts->push_back(part);
    }
    start = end + 1;
  }
}

std::string RandomSuffix() {
  static std::mt19937_64 generator{std::random_device{}() ^
                                   static_cast<unsigned long>(::getpid())};
  static const char kAlphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string suffix;
  for (int i = 0; i < 8; ++i) {
    suffix += kAlphabet[generator() % (sizeof(kAlphabet) - 1)];
  }
  return suffix;
}

}  // namespace

void* AllocateZeroed(std::size_t bytes) {
  if (bytes == 0) bytes = 1;
  if (OverLimit(bytes)) return nullptr;
  return std::calloc(bytes, 1);
}

void* ReallocateZeroed(void* block, std::size_t old_bytes,
                       std::size_t new_bytes) {
  if (block == nullptr) return AllocateZeroed(new_bytes);
  if (new_bytes == 0) new_bytes = 1;
  if (OverLimit(new_bytes)) return nullptr;
  void* grown = std::realloc(block, new_bytes);
  if (grown != nullptr && new_bytes > old_bytes) {
    std::memset(static_cast<char*>(grown) + old_bytes, 0,
                new_bytes - old_bytes);
  }
  return grown;
}

void Release(void* block) { std::free(block); }

void ReportAllocationFailure(const char* caption) {
  int code = errno != 0 ? errno : ENOMEM;
  internal::CountAllocationFailure();
  std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "",
               std::strerror(code));
}

int TextLength(const char* text) {
  return text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
}

void TextCopy(char* destination, const char* source) {
  if (destination == nullptr) return;
  std::strcpy(destination, source != nullptr ? source : "");
}

int CompareNoCase(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  for (;; ++a, ++b) {
    unsigned char ca = static_cast<unsigned char>(*a);
    unsigned char cb = static_cast<unsigned char>(*b);
    if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
    if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == '\0') return 0;
  }
}

bool FullPath(char* out, const char* name, int size) {
  if (out == nullptr || size <= 0 || IsBlankName(name)) return false;
  std::vector<std::string> parts;
  if (!IsSeparator(name[0])) {
    std::string directory;
    if (!CurrentDirectory(&directory)) return false;
    AddComponents(directory, &parts);
  }
  std::string relative(name);
  AddComponents(relative, &parts);

  std::string full;
  for (const std::string& part : parts) full += "/" + part;
  // A name that ends in a separator names a directory and keeps the
  // separator, so that splitting it gives an empty title.
  if (full.empty() || IsSeparator(relative.back())) full += "/";
  if (full.size() + 1 > static_cast<std::size_t>(size)) return false;
  std::memcpy(out, full.c_str(), full.size() + 1);
  return true;
}

void SplitPath(const char* path, char* drive, char* directory, char* title,
               char* extension) {
  internal::SplitPathByRules(path != nullptr ? path : "", drive, directory,
                             title, extension);
}

bool SeekFile(std::FILE* stream, std::int64_t offset, int origin) {
  // off_t is 64 bits wherever the build asks for large files; a wider offset
  // than off_t holds fails rather than wrapping.
  if (static_cast<std::int64_t>(static_cast<off_t>(offset)) != offset) {
    errno = EOVERFLOW;
    return false;
  }
  return ::fseeko(stream, static_cast<off_t>(offset), origin) == 0;
}

std::int64_t TellFile(std::FILE* stream) {
  const off_t offset = ::ftello(stream);
  return offset < 0 ? -1 : static_cast<std::int64_t>(offset);
}

int WriteToDescriptor(std::FILE* stream, const char* bytes, std::size_t size) {
  const int descriptor = ::fileno(stream);
  while (size > 0) {
    const ssize_t written = ::write(descriptor, bytes, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    // A regular file takes at least one byte or says why not.
    if (written == 0) return EIO;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return 0;
}

std::int64_t ReadFromDescriptor(std::FILE* stream, char* bytes,
                                std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(::fileno(stream), bytes, size);
    if (got >= 0) return static_cast<std::int64_t>(got);
    if (errno != EINTR || PendingInterrupt() != 0) return -1;
  }
}

bool SeekDescriptor(std::FILE* stream, std::int64_t offset, int origin) {
  if (static_cast<std::int64_t>(static_cast<off_t>(offset)) != offset) {
    errno = EOVERFLOW;
    return false;
  }
  return ::lseek(::fileno(stream), static_cast<off_t>(offset), origin) >= 0;
}

std::int64_t DescriptorOffset(std::FILE* stream) {
  const off_t offset = ::lseek(::fileno(stream), 0, SEEK_CUR);
  return offset < 0 ? -1 : static_cast<std::int64_t>(offset);
}

std::FILE* CreateUniqueFile(const std::string& directory,
                            const std::string& prefix, std::string* path,
                            std::string* err) {
  std::string stem = directory;
  if (!stem.empty() && !IsSeparator(stem.back())) stem += "/";
  stem += prefix;
  // A clash with an existing name only costs another try; any other failure
  // (a missing or read-only directory) ends the search.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = stem + RandomSuffix();
    int fd = ::open(candidate.c_str(),
                    O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      break;
    }
    std::FILE* stream = ::fdopen(fd, "wb+");
    if (stream == nullptr) {
      int code = errno;
      ::close(fd);
      ::unlink(candidate.c_str());
      errno = code;
      break;
    }
    if (path != nullptr) *path = candidate;
    return stream;
  }
  if (err != nullptr) *err = std::strerror(errno);
  return nullptr;
}

bool CreateTemporaryFile(std::string* path, std::string* err) {
  const char* directory = std::getenv("TMPDIR");
  if (directory == nullptr || directory[0] == '\0') directory = "/tmp";
  std::FILE* stream = CreateUniqueFile(directory, "zone2las-", path, err);
  if (stream == nullptr) return false;
  std::fclose(stream);
  return true;
}

}  // namespace platform
