#include "io/block_writer.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Empty blocks kept at most; more are given back to the heap.
constexpr std::size_t kSpareBlocks = 4;

}  // namespace

BlockWriter::BlockWriter() { Use(Block()); }

void BlockWriter::SetFile(DiskFile* file, Sink* sink) {
  Flush();
  file_ = file;
  sink_ = sink;
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
  cursor_ = block_.bytes.get();
  if (size == 0 || failed_) return;
  const char* bytes = block_.bytes.get();
  if (file_ != nullptr) {
    file_->Write(bytes, size);
    failed_ = file_->HasFailed();
  } else if (sink_ != nullptr) {
    failed_ = !sink_->TakeBlock(bytes, size);
  }
}

BlockWriter::Block BlockWriter::Park() {
  Block parked;
  parked.size = Pending();
  parked.bytes = std::move(block_.bytes);
  file_ = nullptr;
  sink_ = nullptr;
  failed_ = false;
  Use(Block());
  return parked;
}

void BlockWriter::Resume(Block block) {
  Flush();
  if (block.bytes == nullptr) return;
  if (spare_.size() < kSpareBlocks) spare_.push_back(std::move(block_.bytes));
  Use(std::move(block));
}

void BlockWriter::Use(Block block) {
  if (block.bytes == nullptr) {
    if (!spare_.empty()) {
      block.bytes = std::move(spare_.back());
      spare_.pop_back();
    } else {
      // Left uninitialised: only the bytes taken are ever read.
      block.bytes.reset(new char[kBlockBytes]);
    }
    block.size = 0;
  }
  block_ = std::move(block);
  cursor_ = block_.bytes.get() + block_.size;
  limit_ = block_.bytes.get() + kBlockBytes;
}
