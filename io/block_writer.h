// BlockWriter gathers the bytes meant for a file in one large block, written
// in place by the caller (Reserve, then Commit) and handed to the file whole
// when it is full or on Flush, so that the file gets few, large writes.
//
// A block can also be taken out with its bytes (Park) and put back later
// (Resume), so that the bytes of a file that is not open can wait in memory.
// Parked blocks come from one region set aside for them, a fixed number of
// blocks, whose pages are touched only as the blocks fill.
#ifndef ZONE2LAS_IO_BLOCK_WRITER_H_
#define ZONE2LAS_IO_BLOCK_WRITER_H_

#include <cstddef>
#include <memory>
#include <vector>

#include "io/disk_file.h"

class BlockWriter {
 public:
  // The size of a block: large enough that a write costs little beside its
  // bytes.
  static constexpr std::size_t kBlockBytes = std::size_t{1} << 18;

  // Where a full block goes when no file is set.
  class Sink {
   public:
    virtual ~Sink() = default;
    // Writes |size| bytes; false when they could not be written.
    virtual bool TakeBlock(const char* bytes, std::size_t size) = 0;
  };

  // A block and the bytes it holds. Its memory stays the writer's.
  struct Block {
    char* bytes = nullptr;
    std::size_t size = 0;
  };

  // A writer that can have up to |parked_blocks| blocks out at once.
  explicit BlockWriter(std::size_t parked_blocks = 0);
  ~BlockWriter();

  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  // Full blocks go to |file| from now on, or to |sink| when |file| is null;
  // with neither they are dropped. Flushes first, and forgets a failure
  // before.
  void SetFile(DiskFile* file, Sink* sink = nullptr);

  // Where the next bytes go, with at least |room| bytes (at most
  // kBlockBytes) free before Limit(); hands the block over first when it
  // has less.
  char* Reserve(std::size_t room) {
    if (static_cast<std::size_t>(limit_ - cursor_) < room) Flush();
    return cursor_;
  }
  char* Limit() const { return limit_; }
  // Takes the bytes written since Reserve, up to |end|.
  void Commit(char* end) { cursor_ = end; }
  // Takes |size| bytes of |bytes|, any number.
  void Append(const char* bytes, std::size_t size);

  // Hands the bytes taken so far to the file (or the sink).
  void Flush();
  // Drops the bytes taken so far, and the file and sink.
  void Discard();

  // True once a write has failed since SetFile, or a stop signal has come
  // (see platform/process.h): the file's Close reports
  // it, and the bytes that follow are dropped.
  bool Failed() const { return failed_; }

  // The bytes taken so far, not yet handed over.
  std::size_t Pending() const {
    return static_cast<std::size_t>(cursor_ - block_.bytes);
  }

  // Whether one more block can be taken out.
  // The region is set aside when first asked for; when it cannot be had (a
  // limit on address space), no block is parked and rows go to their files.
  bool CanPark();
  // Takes the block out with the bytes not yet handed over, and goes on with
  // an empty one; CanPark() must hold. The file and sink are dropped.
  Block Park();
  // Flushes, then goes on from |block|'s bytes in place of the block in use.
  // Null bytes stand for an empty block.
  void Resume(Block block);
  // Takes back a parked block whose bytes are no longer needed.
  void Recycle(Block block);

 private:
  void Use(Block block);

  Block block_;
  char* cursor_ = nullptr;
  char* limit_ = nullptr;
  DiskFile* file_ = nullptr;
  Sink* sink_ = nullptr;
  bool failed_ = false;

  // The first block, and the region the others are carved from as they are
  // first needed (or, when no region can be had, blocks of the heap).
  std::unique_ptr<char[]> first_block_;
  // Blocks that may be parked: none once the region cannot be had.
  std::size_t parked_blocks_;
  char* region_ = nullptr;
  bool region_tried_ = false;
  std::vector<std::unique_ptr<char[]>> heap_blocks_;
  std::size_t carved_ = 0;
  // Blocks free for use.
  std::vector<char*> free_;
};

#endif  // ZONE2LAS_IO_BLOCK_WRITER_H_
