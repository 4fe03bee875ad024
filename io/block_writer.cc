#include "io/block_writer.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "platform/process.h"

BlockWriter::BlockWriter(std::size_t parked_blocks)
    : first_block_(new char[kBlockBytes]), parked_blocks_(parked_blocks) {
  // Every block that can be out, and the one in use, fit without growing.
  free_.reserve(parked_blocks + 1);
  Use(Block{first_block_.get(), 0});
}

BlockWriter::~BlockWriter() {
  platform::ReleaseRegion(region_, parked_blocks_ * kBlockBytes);
}

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
  cursor_ = block_.bytes;
  if (size == 0 || failed_) return;
  if (file_ != nullptr) {
    failed_ = !file_->WriteThrough(block_.bytes, size) || file_->HasFailed();
  } else if (sink_ != nullptr) {
    failed_ = !sink_->TakeBlock(block_.bytes, size);
  }
  // A stop signal ends a long interval within a block of rows, as a failed
  // write does: the run drops what it has in progress.
  if (platform::PendingInterrupt() != 0) failed_ = true;
}

void BlockWriter::Discard() {
  cursor_ = block_.bytes;
  file_ = nullptr;
  sink_ = nullptr;
  failed_ = false;
}

bool BlockWriter::CanPark() {
  if (!region_tried_ && parked_blocks_ > 0) {
    region_tried_ = true;
    region_ = static_cast<char*>(
        platform::AllocateRegion(parked_blocks_ * kBlockBytes));
    if (region_ == nullptr) parked_blocks_ = 0;
  }
  return !free_.empty() || carved_ < parked_blocks_;
}

BlockWriter::Block BlockWriter::Park() {
  const Block parked{block_.bytes, Pending()};
  file_ = nullptr;
  sink_ = nullptr;
  failed_ = false;
  if (free_.empty()) {
    if (region_ != nullptr && carved_ < parked_blocks_) {
      free_.push_back(region_ + carved_ * kBlockBytes);
    } else {
      // No region, or a caller past CanPark(): a block of the heap.
      heap_blocks_.emplace_back(new char[kBlockBytes]);
      free_.push_back(heap_blocks_.back().get());
    }
    ++carved_;
  }
  Use(Block{free_.back(), 0});
  free_.pop_back();
  return parked;
}

void BlockWriter::Resume(Block block) {
  Flush();
  if (block.bytes == nullptr) return;
  free_.push_back(block_.bytes);
  Use(block);
}

void BlockWriter::Recycle(Block block) {
  if (block.bytes != nullptr) free_.push_back(block.bytes);
}

void BlockWriter::Use(Block block) {
  block_ = block;
  cursor_ = block_.bytes + block_.size;
  limit_ = block_.bytes + kBlockBytes;
}
