#include "io/block_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "tests/scratch.h"

namespace {

class BlockWriterTest : public testing::Test {
 protected:
  // Opens |name| in the scratch directory for writing.
  void Open(DiskFile& file, const std::string& name) {
    file.SetName((dir_ / name).string().c_str());
    ASSERT_TRUE(file.OpenWrite(false));
  }

  ScratchDir dir_;
};

// Pieces of every size from none to past three blocks, some made in place
// and some appended, reach the file whole and in order; bytes given directly
// to the file after a Flush land after them.
TEST_F(BlockWriterTest, PiecesOfAnySizeArriveInOrder) {
  DiskFile file;
  Open(file, "out.bin");
  file.Write("header\n");
  std::string expected = "header\n";
  BlockWriter out;
  out.SetFile(&file);
  std::uint64_t state = 12345;
  for (int piece = 0; piece < 400; ++piece) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    std::size_t size = (state >> 33) % 5000;
    if (piece % 97 == 0) size = 3 * BlockWriter::kBlockBytes + 17;
    const std::string bytes(size, static_cast<char>('a' + piece % 26));
    if (piece % 2 == 0 && size <= BlockWriter::kBlockBytes) {
      char* at = out.Reserve(size);
      ASSERT_GE(static_cast<std::size_t>(out.Limit() - at), size);
      std::memcpy(at, bytes.data(), size);
      out.Commit(at + size);
    } else {
      out.Append(bytes.data(), size);
    }
    expected += bytes;
  }
  const std::int64_t taken = out.Taken();
  out.Flush();
  // Every byte the writer took, whether it had handed it over or not.
  EXPECT_EQ(static_cast<std::int64_t>(expected.size() - 7), taken);
  EXPECT_EQ(taken, out.Taken());
  file.Write("trailer\n");
  expected += "trailer\n";
  EXPECT_FALSE(out.Failed());
  ASSERT_TRUE(file.Close());
  // Compared whole, but not printed whole when they differ.
  const std::string written = dir_.Read("out.bin");
  EXPECT_EQ(expected.size(), written.size());
  EXPECT_TRUE(expected == written);
}

// Rows of any length, made in place: every write but the last ends where
// the file's offset is a whole number of blocks, wherever the bytes before
// the writer left it (a header, or the end of a reopened file).
TEST_F(BlockWriterTest, FullBlocksEndOnWholeBlocksOfTheFile) {
  for (const std::size_t start :
       {std::size_t{0}, std::size_t{371}, BlockWriter::kBlockBytes + 5}) {
    DiskFile file;
    Open(file, "rows.txt");
    const std::string head(start, 'h');
    file.Write(head.data(), head.size());
    BlockWriter out;
    out.SetFile(&file);
    std::string expected = head;
    std::int64_t writes = 0;
    std::int64_t handed = 0;
    for (int row = 0; row < 20000; ++row) {
      const std::size_t length =
          20 + static_cast<std::size_t>(row * 7919) % 300;
      char* at = out.Reserve(length);
      std::memset(at, 'a' + row % 26, length - 1);
      at[length - 1] = '\n';
      expected.append(at, length);
      out.Commit(at + length);
      const std::int64_t now =
          out.Taken() - static_cast<std::int64_t>(out.Pending());
      if (now != handed) {
        ++writes;
        handed = now;
        ASSERT_EQ(0, (static_cast<std::int64_t>(start) + handed) %
                         static_cast<std::int64_t>(BlockWriter::kBlockBytes))
            << "start " << start << ", row " << row;
      }
    }
    out.Flush();
    EXPECT_GT(writes, 10);
    ASSERT_TRUE(file.Close());
    EXPECT_TRUE(expected == dir_.Read("rows.txt")) << "start " << start;
  }
}

// Bytes go to the file that was set when they were taken; with no file they
// are dropped.
TEST_F(BlockWriterTest, BytesReachTheirOwnFile) {
  DiskFile first;
  DiskFile second;
  Open(first, "first.txt");
  Open(second, "second.txt");
  BlockWriter out;
  out.SetFile(&first);
  out.Append("one ", 4);
  out.SetFile(nullptr);
  out.Append("dropped ", 8);
  out.SetFile(&second);
  out.Append("two", 3);
  out.SetFile(&first);
  out.Append("three", 5);
  out.SetFile(&second);
  EXPECT_EQ(0u, out.Pending());
  out.Append(" four", 5);
  out.Flush();
  ASSERT_TRUE(first.Close());
  ASSERT_TRUE(second.Close());
  EXPECT_EQ("one three", dir_.Read("first.txt"));
  EXPECT_EQ("two four", dir_.Read("second.txt"));
}

#ifdef __linux__
// A file that cannot take its bytes: Failed() tells, the file's Close gives
// the system's reason, and the next file starts afresh.
TEST_F(BlockWriterTest, AFailedWriteIsSeenAndReported) {
  DiskFile full("/dev/full");
  ASSERT_TRUE(full.OpenWrite(false));
  DiskFile good;
  Open(good, "good.txt");
  BlockWriter out;
  out.SetFile(&full);
  const std::string block(BlockWriter::kBlockBytes, 'x');
  for (int i = 0; i < 3; ++i) out.Append(block.data(), block.size());
  out.Flush();
  EXPECT_TRUE(out.Failed());
  std::string err;
  EXPECT_FALSE(full.Close(&err));
  EXPECT_EQ(std::strerror(ENOSPC), err);
  out.SetFile(&good);
  EXPECT_FALSE(out.Failed());
  out.Append("fine", 4);
  out.Flush();
  EXPECT_FALSE(out.Failed());
  ASSERT_TRUE(good.Close());
  EXPECT_EQ("fine", dir_.Read("good.txt"));
}
#endif

}  // namespace
