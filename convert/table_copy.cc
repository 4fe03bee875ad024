#include "convert/table_copy.h"

#include <cerrno>
#include <memory>

#include "convert/report.h"

namespace {

constexpr const char kCopyName[] = "table";
constexpr std::size_t kCopyBytes = std::size_t{1} << 16;

}  // namespace

TableCopy::~TableCopy() {
  if (!copied_) return;
  copy_.Close();
  std::string ignored;
  private_.RemoveFile(kCopyName, &ignored);
  private_.RemoveSelf(&ignored);
}

bool TableCopy::Prepare(DiskFile& table, const std::string& folder,
                        std::string* err) {
  std::string ignored;
  if (table.SeekTo(0, &ignored)) return true;
  platform::Directory parent;
  if (!parent.Open(folder.empty() ? "." : folder.c_str(), err) ||
      !private_.MakePrivate(parent, "zone2las-partial-", err))
    return false;
  const int descriptor = private_.CreateNewFile(kCopyName, err);
  const std::string path = private_.path() + "/" + kCopyName;
  if (descriptor < 0 || !copy_.Adopt(descriptor, path.c_str(), err)) {
    private_.RemoveFile(kCopyName, &ignored);
    private_.RemoveSelf(&ignored);
    return false;
  }
  copied_ = true;
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

bool TableCopy::Rewind(DiskFile& table, std::string* err) {
  return Source(table).Rewind(err);
}
