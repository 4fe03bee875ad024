#include "convert/table_copy.h"

#include <cerrno>
#include <cstdint>
#include <memory>

#include "convert/report.h"

namespace {

constexpr const char kCopyName[] = "table";
constexpr std::size_t kCopyBytes = std::size_t{1} << 16;

}  // namespace

TableCopy::~TableCopy() { Drop(); }

void TableCopy::Drop() {
  if (!copied_) return;
  copied_ = false;
  following_ = false;
  copy_.Close();
  std::string ignored;
  directory_->RemoveFile(kCopyName, &ignored);
  if (directory_ == &private_) private_.RemoveSelf(&ignored);
}

// Makes the copy's file in |directory|, open for writing.
bool TableCopy::MakeCopyFile(platform::Directory& directory,
                             std::string* err) {
  std::string ignored;
  const int descriptor = directory.CreateNewFile(kCopyName, err);
  const std::string path = directory.path() + "/" + kCopyName;
  if (descriptor < 0 || !copy_.Adopt(descriptor, path.c_str(), err)) {
    directory.RemoveFile(kCopyName, &ignored);
    return false;
  }
  directory_ = &directory;
  copied_ = true;
  return true;
}

// Closes the copy written so far and opens it for reading.
bool TableCopy::OpenCopyToRead(std::string* err) {
  const std::string path = directory_->path() + "/" + kCopyName;
  if (!copy_.Close(err)) {
    *err = "cannot copy it to " + path + ": " + *err;
    return false;
  }
  copy_.SetName(path.c_str());
  if (!copy_.OpenRead(false)) {
    *err = "cannot read its copy " + path + ": " + SystemReason(errno);
    return false;
  }
  return true;
}

bool TableCopy::Prepare(DiskFile& table, const std::string& folder,
                        std::string* err) {
  std::string ignored;
  if (table.SeekTo(0, &ignored)) return true;
  platform::Directory parent;
  if (!parent.Open(folder.empty() ? "." : folder.c_str(), err) ||
      !private_.MakePrivate(parent, "zone2las-partial-", err))
    return false;
  if (!MakeCopyFile(private_, err)) {
    private_.RemoveSelf(&ignored);
    return false;
  }
  const std::unique_ptr<char[]> buffer(new char[kCopyBytes]);
  for (;;) {
    errno = 0;
    const std::size_t read = table.Read(buffer.get(), kCopyBytes);
    copy_.Write(buffer.get(), read);
    if (read < kCopyBytes) break;
  }
  if (table.HasFailed()) {
    *err = "cannot read: " + SystemReason(errno != 0 ? errno : EIO);
    return false;
  }
  return OpenCopyToRead(err);
}

bool TableCopy::CanSeek(DiskFile& table) {
  std::string ignored;
  const std::int64_t at = table.Tell();
  return at >= 0 && table.SeekTo(at, &ignored);
}

bool TableCopy::Follow(platform::Directory& partial, long lines_read,
                       std::string* err) {
  if (!MakeCopyFile(partial, err)) return false;
  for (long line = 0; line < lines_read; ++line) copy_.Write("\n", 1);
  following_ = true;
  return true;
}

bool TableCopy::Rewind(DiskFile& table, std::string* err) {
  if (following_) {
    following_ = false;
    if (!OpenCopyToRead(err)) return false;
  }
  return Source(table).Rewind(err);
}
