// BlockWriter gathers the bytes meant for a file in one large block, written
// in place by the caller (Reserve, then Commit) and handed to the file whole
// when it is full or on Flush, so that the file gets few, large writes. A
// full block ends where the file's offset is a whole number of blocks: the
// system then keeps the file's pages in large pieces that cost less to make
// than the same bytes in pieces that straddle those marks.
#ifndef ZONE2LAS_IO_BLOCK_WRITER_H_
#define ZONE2LAS_IO_BLOCK_WRITER_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "io/disk_file.h"

class BlockWriter {
 public:
  // The size of a block: large enough that a write costs little beside its
  // bytes.
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 18;

  BlockWriter();
  ~BlockWriter();

  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  // Full blocks go to |file| from now on, from where its offset stands; with
  // none they are dropped. Flushes first, and forgets a failure before.
  void SetFile(DiskFile* file);

  // Where the next bytes go, with at least |room| bytes (at most
  // kBlockBytes) free before Limit(); hands the full block over first when
  // the bytes have reached it.
  char* Reserve(std::size_t room) {
    if (static_cast<std::size_t>(limit_ - cursor_) < room) MakeRoom(room);
    return cursor_;
  }
  char* Limit() const { return limit_; }
  // Takes the bytes written since Reserve, up to |end|.
  void Commit(char* end) { cursor_ = end; }
  // Takes |size| bytes of |bytes|, any number.
  void Append(const char* bytes, std::size_t size);

  // Hands the bytes taken so far to the file.
  void Flush();
  // Drops the bytes taken so far, and the file.
  void Discard();

  // True once a write has failed since SetFile, or a stop signal has come
  // (see platform/process.h): the file's Close reports
  // it, and the bytes that follow are dropped.
  bool Failed() const { return failed_; }

  // The bytes taken so far, not yet handed over.
  std::size_t Pending() const {
    return static_cast<std::size_t>(cursor_ - block_);
  }
  // Every byte taken since the writer was made, handed over or not: the
  // difference of two readings is what was taken between them.
  std::int64_t Taken() const {
    return handed_ + static_cast<std::int64_t>(Pending());
  }
  // Where the next byte taken goes in the file: its offset when it was set,
  // and every byte taken since.
  std::int64_t Offset() const { return file_start_ + Taken(); }

 private:
  // Hands a full block over when the bytes have reached its end, and moves
  // Limit() |room| bytes past that end.
  void MakeRoom(std::size_t room);
  // Hands the bytes before |end| to the file and moves the rest to the
  // start of the block.
  void HandOver(char* end);

  // Twice a block: the bytes of the last piece reserved may run past the
  // end of the full block, by at most kBlockBytes.
  std::unique_ptr<char[]> buffer_;
  char* block_ = nullptr;
  char* cursor_ = nullptr;
  // Where the file's offset reaches the next whole number of blocks.
  char* block_end_ = nullptr;
  char* limit_ = nullptr;
  DiskFile* file_ = nullptr;
  bool failed_ = false;
  std::int64_t handed_ = 0;
  // The file's offset when it was set (0 with no file, or when the file
  // cannot tell it), less the bytes handed over before then: the start of
  // the block is at file_start_ + handed_.
  std::int64_t file_start_ = 0;
};

#endif  // ZONE2LAS_IO_BLOCK_WRITER_H_
