#include "io/disk_file.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "platform/files.h"
#include "platform/platform.h"

namespace {

// Pieces of a long line arrive at most this many bytes minus one at a time.
constexpr std::int32_t kLineBufferSize = 2048;

enum class PathPart { kDrive, kDirectory, kTitle, kExtension };

// errno after a failed call, or EIO when the call left no reason behind.
int LastError() { return errno != 0 ? errno : EIO; }

String GetPathPart(const char* path, PathPart which, char* buffer) {
  char drive[platform::kMaxDrive];
  char directory[platform::kMaxPart];
  char title[platform::kMaxPart];
  char extension[platform::kMaxPart];
  platform::SplitPath(path, drive, directory, title, extension);
  const char* part = drive;
  switch (which) {
    case PathPart::kDrive:
      part = drive;
      break;
    case PathPart::kDirectory:
      part = directory;
      break;
    case PathPart::kTitle:
      part = title;
      break;
    case PathPart::kExtension:
      part = extension;
      break;
  }
  if (buffer != nullptr) platform::TextCopy(buffer, part);
  return String(part);
}

}  // namespace

DiskFile::DiskFile() : stream(nullptr), reserved(0), write_error(0) {
  DiskFile::OnCreate();
}

DiskFile::DiskFile(const char* name_text)
    : stream(nullptr), reserved(0), write_error(0) {
  DiskFile::OnCreate();
  name.Assign(name_text);
}

DiskFile::~DiskFile() {
  Close();
  DiskFile::OnDestroy();
}

void DiskFile::SetName(const char* text, std::string* err) {
  if (IsBlankText(text)) return;
  // The system's own limit on a full path; a name that cannot be resolved
  // leaves the name empty.
  std::string full_path;
  std::string ignored;
  platform::FullPath(text, &full_path, err != nullptr ? err : &ignored);
  name.Assign(full_path.c_str());
}

const char* DiskFile::NameText() const {
  // A name whose buffer could not be had reads as the empty text.
  return name.GetText() != nullptr ? name.GetText() : "";
}

bool DiskFile::Open(const char* mode) {
  Close();
  write_error = 0;
  const char* path = NameText();
  if (path[0] == '\0') return false;
  stream = std::fopen(path, mode);
  return stream != nullptr;
}

bool DiskFile::OpenRead(bool text_mode) {
  return Open(text_mode ? "rt" : "rb");
}

bool DiskFile::OpenWrite(bool text_mode) {
  return Open(text_mode ? "wt" : "wb");
}

bool DiskFile::OpenReadUpdate(bool text_mode) {
  return Open(text_mode ? "r+t" : "r+b");
}

bool DiskFile::OpenWriteUpdate(bool text_mode) {
  return Open(text_mode ? "w+t" : "w+b");
}

bool DiskFile::OpenAppend(bool text_mode) {
  return Open(text_mode ? "at" : "ab");
}

bool DiskFile::OpenTemporary(bool text_mode) {
  Close();
  std::string path;
  std::string err;
  // The file is created before it is named here, so no other process can
  // slip in a file (or a link) of the same name between the two.
  if (platform::CreateTemporaryFile(&path, &err)) {
    name.Assign(path.c_str());
  } else {
    name.Assign("");
  }
  return Open(text_mode ? "at" : "ab");
}

bool DiskFile::Adopt(int descriptor, const char* name_text, std::string* err) {
  Close();
  write_error = 0;
  name.Assign(name_text);
  // Written only: a stream that may also read fills its buffer from the
  // file on every seek.
  stream = platform::OpenStream(descriptor, "wb", err);
  return stream != nullptr;
}

bool DiskFile::SeekTo(std::int64_t offset, std::string* err) {
  if (stream == nullptr) return false;
  errno = 0;
  if (read_through) {
    if (platform::SeekDescriptor(stream, offset, SEEK_SET)) return true;
    if (err != nullptr) *err = std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  past_stream = false;
  if (!platform::SeekFile(stream, offset, SEEK_SET)) {
    if (err != nullptr) *err = std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

bool DiskFile::Rewind(std::string* err) {
  if (stream == nullptr) return false;
  if (read_through) {
    errno = 0;
    std::clearerr(stream);
    if (platform::SeekDescriptor(stream, 0, SEEK_SET)) return true;
    if (err != nullptr) *err = std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  Settle();
  // A seek alone leaves the end indicator set on some C libraries.
  errno = 0;
  std::rewind(stream);
  if (errno != 0) {
    if (err != nullptr) *err = std::strerror(errno);
    return false;
  }
  return true;
}

bool DiskFile::Truncate(std::int64_t size, std::string* err) {
  if (stream == nullptr) return false;
  Settle();
  if (!platform::TruncateStream(stream, size, err)) return false;
  SeekEnd();
  return true;
}

bool DiskFile::Close(std::string* err) {
  if (stream == nullptr) return true;
  // The first cause is the one reported: a failed write, then a failed flush
  // of what is still buffered, then an error the stream met on its own
  // (formatted output through GetStream), then the close itself.
  int error = write_error;
  errno = 0;
  if (std::fflush(stream) != 0 && error == 0) error = LastError();
  if (std::ferror(stream) && error == 0) error = EIO;
  errno = 0;
  if (std::fclose(stream) != 0 && error == 0) error = LastError();
  stream = nullptr;
  write_error = 0;
  past_stream = false;
  read_through = false;
  if (error == 0) return true;
  if (err != nullptr) *err = std::strerror(error);
  return false;
}

void DiskFile::SetBufferSize(std::size_t bytes) {
  if (stream == nullptr || bytes == 0) return;
  if (stream_buffer.size() != bytes) stream_buffer.resize(bytes);
  std::setvbuf(stream, stream_buffer.data(), _IOFBF, stream_buffer.size());
}

bool DiskFile::HasFailed() const {
  return stream != nullptr && std::ferror(stream) != 0;
}

bool DiskFile::AtEnd() const {
  // A stream that failed to read will never reach its end; reading stops
  // there all the same, rather than asking for lines for ever.
  if (stream == nullptr) return true;
  return std::feof(stream) != 0 || std::ferror(stream) != 0;
}

void DiskFile::ReadLine(char* buffer, std::int32_t size) {
  if (stream == nullptr || buffer == nullptr || size < 1) return;
  Settle();
  if (AtEnd()) {
    buffer[0] = '\0';
    return;
  }
  // At the end of the file fgets leaves the buffer as it was; after a read
  // error its contents are undefined, so they are dropped.
  if (std::fgets(buffer, size, stream) == nullptr && std::ferror(stream)) {
    buffer[0] = '\0';
  }
}

void DiskFile::ReadLine(String& line) {
  char buffer[kLineBufferSize];
  buffer[0] = '\0';
  ReadLine(buffer, kLineBufferSize);
  line.Assign(buffer);
}

void DiskFile::Write(const char* text) {
  if (stream == nullptr || text == nullptr) return;
  Settle();
  errno = 0;
  if (std::fputs(text, stream) == EOF && write_error == 0) {
    write_error = LastError();
  }
}

std::size_t DiskFile::Read(char* bytes, std::size_t size) {
  if (stream == nullptr || size == 0) return 0;
  Settle();
  return std::fread(bytes, 1, size, stream);
}

std::int64_t DiskFile::ReadSome(char* bytes, std::size_t size) {
  if (stream == nullptr) {
    errno = EBADF;
    return -1;
  }
  if (size == 0) return 0;
  // The stream no longer knows where the file stands: see Settle.
  past_stream = true;
  read_through = true;
  return platform::ReadFromDescriptor(stream, bytes, size);
}

bool DiskFile::WriteThrough(const char* bytes, std::size_t size) {
  if (stream == nullptr) return false;
  if (bytes == nullptr || size == 0) return write_error == 0;
  errno = 0;
  if (std::fflush(stream) != 0) {
    if (write_error == 0) write_error = LastError();
    return false;
  }
  past_stream = true;
  const int error = platform::WriteToDescriptor(stream, bytes, size);
  if (error != 0 && write_error == 0) write_error = error;
  return error == 0;
}

void DiskFile::Settle() const {
  if (!past_stream || stream == nullptr) return;
  past_stream = false;
  read_through = false;
  const std::int64_t offset = platform::DescriptorOffset(stream);
  if (offset >= 0) platform::SeekFile(stream, offset, SEEK_SET);
}

void DiskFile::Write(const char* bytes, std::size_t size) {
  if (stream == nullptr || bytes == nullptr || size == 0) return;
  Settle();
  errno = 0;
  if (std::fwrite(bytes, 1, size, stream) != size && write_error == 0) {
    write_error = LastError();
  }
}

void DiskFile::Print(const char* format, ...) {
  if (stream == nullptr) return;
  Settle();
  errno = 0;
  va_list args;
  va_start(args, format);
  const int result = std::vfprintf(stream, format, args);
  va_end(args);
  if (result < 0 && write_error == 0) write_error = LastError();
}

void DiskFile::SeekTo(std::int64_t offset, int origin) {
  if (stream == nullptr) return;
  if (read_through) {
    platform::SeekDescriptor(stream, offset, origin);
    return;
  }
  // A seek to a place of its own tells the stream the file's offset anew.
  if (origin == SEEK_CUR)
    Settle();
  else
    past_stream = false;
  errno = 0;
  // A seek writes out buffered output first; when that fails, its reason is
  // kept for Close.
  if (!platform::SeekFile(stream, offset, origin) && std::ferror(stream) &&
      write_error == 0) {
    write_error = LastError();
  }
}

void DiskFile::Seek(std::int64_t offset) { SeekTo(offset, SEEK_SET); }

void DiskFile::SeekStart() { SeekTo(0, SEEK_SET); }

void DiskFile::SeekEnd() { SeekTo(0, SEEK_END); }

std::int64_t DiskFile::Tell() const {
  if (stream == nullptr) return -1;
  // Past the stream, its buffer is empty: the descriptor knows the offset.
  if (past_stream) return platform::DescriptorOffset(stream);
  return platform::TellFile(stream);
}

std::int64_t DiskFile::Size() {
  if (stream == nullptr) return -1;
  SeekEnd();
  return Tell();
}

String DiskFile::GetFullName(char* buffer) const {
  const char* full_name = NameText();
  if (buffer != nullptr) platform::TextCopy(buffer, full_name);
  return String(full_name);
}

String DiskFile::GetTitle(char* buffer) const {
  return GetPathPart(NameText(), PathPart::kTitle, buffer);
}

String DiskFile::GetExtension(char* buffer) const {
  return GetPathPart(NameText(), PathPart::kExtension, buffer);
}

String DiskFile::GetDrive(char* buffer) const {
  return GetPathPart(NameText(), PathPart::kDrive, buffer);
}

String DiskFile::GetDirectory(char* buffer) const {
  return GetPathPart(NameText(), PathPart::kDirectory, buffer);
}

void DiskFile::Remove() {
  Close();
  if (std::remove(NameText()) != 0) {
    std::fprintf(stderr, "\nCan not remove file %s\n", NameText());
  }
}

bool DiskFile::Rename(const char* new_name) {
  Close();
  if (new_name == nullptr) new_name = "";
  if (std::rename(NameText(), new_name) != 0) {
    std::fprintf(stderr, "\nCan not rename file %s to %s\n", NameText(),
                 new_name);
    return false;
  }
  name.Assign(new_name);
  return true;
}
