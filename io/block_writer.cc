#include "io/block_writer.h"

#include <algorithm>
#include <cstring>

#include "platform/process.h"

BlockWriter::BlockWriter()
    : buffer_(new char[kBlockBytes]),
      block_(buffer_.get()),
      cursor_(block_),
      limit_(block_ + kBlockBytes) {}

BlockWriter::~BlockWriter() = default;

void BlockWriter::SetFile(DiskFile* file) {
  Flush();
  file_ = file;
  failed_ = false;
}

void BlockWriter::Append(const char* bytes, std::size_t size) {
  while (size > 0) {
    char* at = Reserve(1);
    const std::size_t part =
        std::min(size, static_cast<std::size_t>(limit_ - at));
    std::memcpy(at, bytes, part);
    Commit(at + part);
    bytes += part;
    size -= part;
  }
}

void BlockWriter::Flush() {
  const std::size_t size = Pending();
  cursor_ = block_;
  handed_ += static_cast<std::int64_t>(size);
  if (size == 0 || failed_) return;
  if (file_ != nullptr)
    failed_ = !file_->WriteThrough(block_, size) || file_->HasFailed();
  // A stop signal ends a long interval within a block of rows, as a failed
  // write does: the run drops what it has in progress.
  if (platform::PendingInterrupt() != 0) failed_ = true;
}

void BlockWriter::Discard() {
  handed_ += static_cast<std::int64_t>(Pending());
  cursor_ = block_;
  file_ = nullptr;
  failed_ = false;
}
