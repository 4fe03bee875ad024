#include "io/block_writer.h"

#include <algorithm>
#include <cstring>

#include "platform/process.h"

namespace {

// Where the block ends when it starts at |offset| in the file.
char* BlockEnd(char* block, std::int64_t offset) {
  const auto block_bytes = static_cast<std::int64_t>(BlockWriter::kBlockBytes);
  return block + (block_bytes - offset % block_bytes);
}

}  // namespace

BlockWriter::BlockWriter()
    : buffer_(new char[2 * kBlockBytes]),
      block_(buffer_.get()),
      cursor_(block_),
      block_end_(block_ + kBlockBytes),
      limit_(block_end_) {}

BlockWriter::~BlockWriter() = default;

void BlockWriter::SetFile(DiskFile* file) {
  Flush();
  file_ = file;
  failed_ = false;
  file_start_ =
      (file != nullptr ? std::max<std::int64_t>(file->Tell(), 0) : 0) - handed_;
  block_end_ = BlockEnd(block_, file_start_ + handed_);
  limit_ = block_end_;
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

void BlockWriter::MakeRoom(std::size_t room) {
  if (cursor_ >= block_end_) HandOver(block_end_);
  // The block ends at most kBlockBytes into the buffer, which has room for
  // kBlockBytes more.
  limit_ = block_end_ + room;
}

void BlockWriter::Flush() {
  HandOver(cursor_);
  limit_ = block_end_;
}

void BlockWriter::HandOver(char* end) {
  const auto size = static_cast<std::size_t>(end - block_);
  if (size > 0 && !failed_) {
    if (file_ != nullptr)
      failed_ = !file_->WriteThrough(block_, size) || file_->HasFailed();
    // A stop signal ends a long interval within a block of rows, as a failed
    // write does: the run drops what it has in progress.
    if (platform::PendingInterrupt() != 0) failed_ = true;
  }
  const auto rest = static_cast<std::size_t>(cursor_ - end);
  std::memmove(block_, end, rest);
  cursor_ = block_ + rest;
  handed_ += static_cast<std::int64_t>(size);
  block_end_ = BlockEnd(block_, file_start_ + handed_);
}

void BlockWriter::Discard() {
  handed_ += static_cast<std::int64_t>(Pending());
  cursor_ = block_;
  file_ = nullptr;
  failed_ = false;
  file_start_ = -handed_;
  block_end_ = BlockEnd(block_, 0);
  limit_ = block_end_;
}
