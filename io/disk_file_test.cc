#include "io/disk_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "tests/large_offsets.h"

namespace {

// Every test works on real files in a fresh directory of its own.
class DiskFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "disk-file-test-XXXXXX")
            .string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    directory = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(directory); }

  std::string Path(const std::string& file) const {
    return directory + "/" + file;
  }

  void WriteAll(const std::string& file, const std::string& bytes) const {
    std::FILE* stream = std::fopen(Path(file).c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fclose(stream);
  }

  std::string ReadAll(const std::string& path) const {
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    if (stream == nullptr) return "<missing>";
    std::string bytes;
    int c;
    while ((c = std::fgetc(stream)) != EOF) bytes += static_cast<char>(c);
    std::fclose(stream);
    return bytes;
  }

  std::string directory;
};

std::string NextLine(DiskFile& file) {
  String line;
  file.ReadLine(line);
  return line.GetText();
}

using OpenFunction = bool (DiskFile::*)(bool);

TEST_F(DiskFileTest, OpensFollowTheirModes) {
  struct Case {
    const char* label;
    OpenFunction open;
    bool text_mode;
    bool file_exists;
    bool opens;
    const char* write;
    const char* content_after;
  } cases[] = {
      {"read", &DiskFile::OpenRead, false, true, true, "", "old\n"},
      {"read text", &DiskFile::OpenRead, true, true, true, "", "old\n"},
      {"read missing", &DiskFile::OpenRead, false, false, false, "new",
       "<missing>"},
      {"write", &DiskFile::OpenWrite, false, true, true, "new", "new"},
      {"write missing", &DiskFile::OpenWrite, false, false, true, "new", "new"},
      {"read update", &DiskFile::OpenReadUpdate, false, true, true, "new",
       "new\n"},
      {"read update missing", &DiskFile::OpenReadUpdate, false, false, false,
       "new", "<missing>"},
      {"write update", &DiskFile::OpenWriteUpdate, false, true, true, "new",
       "new"},
      {"write update missing", &DiskFile::OpenWriteUpdate, false, false, true,
       "new", "new"},
      {"append", &DiskFile::OpenAppend, false, true, true, "new", "old\nnew"},
      {"append text", &DiskFile::OpenAppend, true, true, true, "new",
       "old\nnew"},
      {"append missing", &DiskFile::OpenAppend, false, false, true, "new",
       "new"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string path = Path("case.txt");
    std::remove(path.c_str());
    if (c.file_exists) WriteAll("case.txt", "old\n");
    DiskFile file(path.c_str());
    EXPECT_EQ((file.*c.open)(c.text_mode), c.opens);
    EXPECT_EQ(file.GetStream() != nullptr, c.opens);
    file.Write(c.write);
    std::string err;
    EXPECT_TRUE(file.Close(&err)) << err;
    EXPECT_EQ(ReadAll(path), c.content_after);
  }
}

TEST_F(DiskFileTest, AFailedOpenStillClosesTheOldStream) {
  WriteAll("zones.txt", "WELL TOP BOTTOM ZONE\n");
  DiskFile file;
  EXPECT_FALSE(file.OpenRead(false));  // no name yet
  EXPECT_EQ(file.GetStream(), nullptr);

  file.SetName(Path("zones.txt").c_str());
  ASSERT_TRUE(file.OpenRead(false));
  file.SetName(Path("missing.txt").c_str());
  EXPECT_FALSE(file.OpenRead(false));
  EXPECT_EQ(file.GetStream(), nullptr);
}

TEST_F(DiskFileTest, ALongLineArrivesIn2047BytePieces) {
  std::string long_line(3000, 'x');
  WriteAll("zones.txt", long_line + "\nW1 0 1 A");
  DiskFile file(Path("zones.txt").c_str());
  ASSERT_TRUE(file.OpenRead(false));

  EXPECT_EQ(NextLine(file), long_line.substr(0, 2047));
  EXPECT_EQ(NextLine(file), long_line.substr(2047) + "\n");
  EXPECT_FALSE(file.AtEnd());
  // A last line without a line feed meets the end as it is read.
  EXPECT_EQ(NextLine(file), "W1 0 1 A");
  EXPECT_TRUE(file.AtEnd());
}

TEST_F(DiskFileTest, TheEndIsMetByTheReadAfterTheLastLineFeed) {
  WriteAll("zones.txt", "a\r\nb\r\n");
  DiskFile file(Path("zones.txt").c_str());
  ASSERT_TRUE(file.OpenRead(false));

  EXPECT_EQ(NextLine(file), "a\r\n");  // binary mode keeps the return
  EXPECT_FALSE(file.AtEnd());
  EXPECT_EQ(NextLine(file), "b\r\n");
  EXPECT_FALSE(file.AtEnd());
  EXPECT_EQ(NextLine(file), "");
  EXPECT_TRUE(file.AtEnd());
  EXPECT_EQ(NextLine(file), "");

  file.Seek(0);
  EXPECT_FALSE(file.AtEnd());
  EXPECT_EQ(NextLine(file), "a\r\n");
  file.SeekEnd();
  EXPECT_EQ(NextLine(file), "");
  EXPECT_TRUE(file.AtEnd());
  file.SeekStart();
  EXPECT_FALSE(file.AtEnd());
}

TEST_F(DiskFileTest, TheBufferFormLeavesTheBufferAloneAtTheEnd) {
  WriteAll("zones.txt", "abcdef\n");
  DiskFile file(Path("zones.txt").c_str());
  ASSERT_TRUE(file.OpenRead(false));
  char buffer[8] = "zzzzzzz";
  file.ReadLine(buffer, 4);
  EXPECT_STREQ(buffer, "abc");
  file.ReadLine(buffer, 8);
  EXPECT_STREQ(buffer, "def\n");
  std::strcpy(buffer, "stale");
  file.ReadLine(buffer, 8);  // meets the end: the buffer is untouched
  EXPECT_STREQ(buffer, "stale");
  file.ReadLine(buffer, 8);  // at the end: the empty text
  EXPECT_STREQ(buffer, "");
}

TEST_F(DiskFileTest, ReadingSomethingThatIsNotAFileEnds) {
  // Opening a directory for reading succeeds here, but every read fails; the
  // reader must see an end rather than ask for lines for ever.
  DiskFile file(directory.c_str());
  if (!file.OpenRead(false)) GTEST_SKIP() << "directories do not open";
  EXPECT_EQ(NextLine(file), "");
  EXPECT_TRUE(file.AtEnd());
}

TEST_F(DiskFileTest, AClosedObjectDoesNothing) {
  DiskFile file(Path("never.txt").c_str());
  file.Write("x");
  file.Seek(10);
  file.SeekStart();
  file.SeekEnd();
  String line("stale");
  file.ReadLine(line);
  EXPECT_STREQ(line.GetText(), "");
  EXPECT_TRUE(file.Close());
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(file.GetStream(), nullptr);
  EXPECT_EQ(ReadAll(Path("never.txt")), "<missing>");
}

TEST_F(DiskFileTest, SeekToAToldOffsetOverwritesExactlyThoseBytes) {
  DiskFile file;
  file.SetName(Path("w1.las").c_str());
  ASSERT_TRUE(file.OpenWrite(false));
  std::fprintf(file.GetStream(), "~Well\n");
  std::int64_t strt_offset = file.Tell();
  EXPECT_EQ(strt_offset, 6);
  file.Write(" STRT.M      0.000000 :\n STOP.M      0.000000 :\n~A\n");
  file.Write("1000.0 A\n");
  file.Seek(strt_offset);
  file.Write(" STRT.M   1000.000000 :\n");
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadAll(Path("w1.las")),
            "~Well\n STRT.M   1000.000000 :\n STOP.M      0.000000 :\n~A\n"
            "1000.0 A\n");
}

// Blocks written past the stream land after what the stream still held, and
// every later use of the stream (tell, seek, write, cut) starts from where
// they left the file.
TEST_F(DiskFileTest, WritesPastTheStreamKeepTheirPlace) {
  DiskFile file;
  file.SetName(Path("w1.las").c_str());
  ASSERT_TRUE(file.OpenWrite(false));
  file.SetBufferSize(1 << 20);
  file.Write("~Well\n");
  const std::int64_t strt_offset = file.Tell();
  file.Write(" STRT.M 0 :\n~A\n");
  EXPECT_TRUE(file.WriteThrough("1.0 A\n2.0 A\n", 12));
  EXPECT_EQ(file.Tell(), 33);
  file.Write("3.0 A\n");
  EXPECT_TRUE(file.WriteThrough("4.0 A\n", 6));
  file.Seek(strt_offset);
  file.Write(" STRT.M 1 :\n");
  file.SeekEnd();
  EXPECT_TRUE(file.WriteThrough("5.0 A\n9.9 CLOSE\n", 16));
  EXPECT_EQ(file.Tell(), 61);
  std::string err;
  EXPECT_TRUE(file.Truncate(51, &err)) << err;
  EXPECT_EQ(file.Tell(), 51);
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadAll(Path("w1.las")),
            "~Well\n STRT.M 1 :\n~A\n1.0 A\n2.0 A\n3.0 A\n4.0 A\n5.0 A\n");

  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  DiskFile full("/dev/full");
  ASSERT_TRUE(full.OpenWrite(false));
  EXPECT_FALSE(full.WriteThrough("1.0 A\n", 6));
  EXPECT_FALSE(full.Close(&err));
  EXPECT_EQ(err, std::strerror(ENOSPC));
}

TEST_F(DiskFileTest, OffsetsBeyond4GiBAreToldAndReached) {
  std::string err;
  EXPECT_TRUE(CheckLargeOffsets(directory, &err)) << err;
}

TEST_F(DiskFileTest, SizedWritesKeepZeroBytes) {
  const std::string bytes("ab\0cd\n", 6);
  DiskFile source;
  source.SetName(Path("source").c_str());
  ASSERT_TRUE(source.OpenWrite(false));
  source.SetBufferSize(4);  // smaller than what is written
  source.Write(bytes.data(), bytes.size());
  source.Print("%5.1f|%s\n", 2.25, "x");
  ASSERT_TRUE(source.Close());
  EXPECT_EQ(ReadAll(Path("source")), bytes + "  2.2|x\n");

  ASSERT_TRUE(source.OpenRead(false));
  EXPECT_EQ(source.Size(), 14);
}

TEST_F(DiskFileTest, CloseReportsOutputThatNeverReachedTheFile) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  std::string large(100000, 'x');
  struct Case {
    const char* label;
    std::string text;
    bool formatted;
  } cases[] = {
      {"buffered write lost at close", "1000.0 A\n", false},
      {"write that fails at once", large, false},
      {"formatted output on the stream", large, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    DiskFile file("/dev/full");
    ASSERT_TRUE(file.OpenWrite(false));
    if (c.formatted) {
      std::fprintf(file.GetStream(), "%s", c.text.c_str());
    } else {
      file.Write(c.text.c_str());
    }
    std::string err;
    EXPECT_FALSE(file.Close(&err));
    EXPECT_EQ(file.GetStream(), nullptr);
    if (!c.formatted) {
      EXPECT_EQ(err, std::strerror(ENOSPC));
    }
    EXPECT_FALSE(err.empty());
  }

  // The next open starts afresh.
  DiskFile file("/dev/full");
  ASSERT_TRUE(file.OpenWrite(false));
  file.Write(large.c_str());
  ASSERT_TRUE(file.OpenWrite(false));
  EXPECT_TRUE(file.Close());
}

TEST_F(DiskFileTest, CloseReportsAFailedSeekFlush) {
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  DiskFile file("/dev/full");
  ASSERT_TRUE(file.OpenWrite(false));
  file.Write("~Version\n");
  file.Seek(0);  // the buffered header is lost here
  std::string err;
  EXPECT_FALSE(file.Close(&err));
  EXPECT_EQ(err, std::strerror(ENOSPC));
}

// The rules of the split are the platform's; here each query hands out its
// own part, both as a String and in a caller's buffer.
TEST(DiskFileNames, PartsOfTheStoredName) {
  const char kName[] = "C:\\data\\b.c.las";
  DiskFile file(kName);
  EXPECT_STREQ(file.GetFullName().GetText(), kName);
  EXPECT_STREQ(file.GetDrive().GetText(), "C:");
  EXPECT_STREQ(file.GetDirectory().GetText(), "\\data\\");
  EXPECT_STREQ(file.GetTitle().GetText(), "b.c");
  EXPECT_STREQ(file.GetExtension().GetText(), ".las");

  char drive[platform::kMaxDrive] = "zz";
  char part[platform::kMaxPart] = "stale";
  char full_name[64] = "stale";
  file.GetDrive(drive);
  EXPECT_STREQ(drive, "C:");
  file.GetDirectory(part);
  EXPECT_STREQ(part, "\\data\\");
  file.GetTitle(part);
  EXPECT_STREQ(part, "b.c");
  file.GetExtension(part);
  EXPECT_STREQ(part, ".las");
  file.GetFullName(full_name);
  EXPECT_STREQ(full_name, kName);
}

TEST(DiskFileNames, TheConstructorStoresTheNameUnchanged) {
  EXPECT_STREQ(DiskFile("  ../w1.las \t").GetFullName().GetText(),
               "  ../w1.las \t");
  EXPECT_STREQ(
      DiskFile(static_cast<const char*>(nullptr)).GetFullName().GetText(), "");
  EXPECT_STREQ(DiskFile().GetFullName().GetText(), "");
}

TEST(DiskFileNames, SetNameResolvesAgainstTheWorkingDirectory) {
  std::string cwd = std::filesystem::current_path().string();
  DiskFile file;
  file.SetName("w1.las");
  EXPECT_EQ(std::string(file.GetFullName().GetText()), cwd + "/w1.las");
  file.SetName("out/../w2.las");
  EXPECT_EQ(std::string(file.GetFullName().GetText()), cwd + "/w2.las");

  for (const char* blank : {"", " \t\r\n", static_cast<const char*>(nullptr)}) {
    file.SetName(blank);
    EXPECT_EQ(std::string(file.GetFullName().GetText()), cwd + "/w2.las");
  }

  // A name past the limit cannot be resolved: the name is emptied, so the
  // next open fails instead of opening the previous file.
  std::string too_long = "/" + std::string(5000, 'w') + ".las";
  file.SetName(too_long.c_str());
  EXPECT_STREQ(file.GetFullName().GetText(), "");
  EXPECT_FALSE(file.OpenWrite(false));
}

TEST_F(DiskFileTest, SetNameLeavesAnOpenStreamOnItsFile) {
  DiskFile file(Path("w1.las").c_str());
  ASSERT_TRUE(file.OpenWrite(false));
  std::FILE* stream = file.GetStream();
  file.SetName(Path("w2.las").c_str());
  EXPECT_EQ(file.GetStream(), stream);
  file.Write("rows");
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadAll(Path("w1.las")), "rows");
  EXPECT_EQ(ReadAll(Path("w2.las")), "<missing>");
}

TEST_F(DiskFileTest, RemoveAndRenameReportFailuresOnStandardError) {
  WriteAll("w1.las", "rows");
  DiskFile file(Path("w1.las").c_str());
  ASSERT_TRUE(file.OpenAppend(false));

  testing::internal::CaptureStderr();
  EXPECT_TRUE(file.Rename(Path("w2.las").c_str()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(file.GetStream(), nullptr);
  EXPECT_EQ(std::string(file.GetFullName().GetText()), Path("w2.las"));
  EXPECT_EQ(ReadAll(Path("w2.las")), "rows");

  // A relative new name is kept as given.
  DiskFile missing(Path("missing.las").c_str());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(missing.Rename("w3.las"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "\nCan not rename file " + Path("missing.las") + " to w3.las\n");
  EXPECT_EQ(std::string(missing.GetFullName().GetText()), Path("missing.las"));

  ASSERT_TRUE(file.OpenRead(false));
  testing::internal::CaptureStderr();
  file.Remove();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(file.GetStream(), nullptr);
  EXPECT_EQ(ReadAll(Path("w2.las")), "<missing>");

  testing::internal::CaptureStderr();
  file.Remove();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "\nCan not remove file " + Path("w2.las") + "\n");
  EXPECT_EQ(std::string(file.GetFullName().GetText()), Path("w2.las"));
}

class TemporaryDirectory {
 public:
  explicit TemporaryDirectory(const std::string& value) {
    const char* old = std::getenv("TMPDIR");
    had_old = old != nullptr;
    if (had_old) saved = old;
    ::setenv("TMPDIR", value.c_str(), 1);
  }
  ~TemporaryDirectory() {
    if (had_old) {
      ::setenv("TMPDIR", saved.c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
  }

 private:
  bool had_old;
  std::string saved;
};

TEST_F(DiskFileTest, OpenTemporaryCreatesAFreshFileForAppending) {
  TemporaryDirectory tmpdir(directory);
  DiskFile file(Path("previous.las").c_str());
  ASSERT_TRUE(file.OpenTemporary(false));
  std::string name = file.GetFullName().GetText();
  EXPECT_EQ(name.rfind(directory + "/", 0), 0u) << name;
  file.Write("a");
  file.SeekStart();
  file.Write("b");  // appended all the same
  EXPECT_TRUE(file.Close());
  EXPECT_EQ(ReadAll(name), "ab");

  DiskFile other;
  ASSERT_TRUE(other.OpenTemporary(true));
  EXPECT_NE(std::string(other.GetFullName().GetText()), name);
}

TEST_F(DiskFileTest, OpenTemporaryWithoutAUsableDirectoryFails) {
  TemporaryDirectory tmpdir(Path("missing"));
  DiskFile file(Path("previous.las").c_str());
  EXPECT_FALSE(file.OpenTemporary(false));
  EXPECT_STREQ(file.GetFullName().GetText(), "");
  EXPECT_EQ(file.GetStream(), nullptr);
}

}  // namespace
