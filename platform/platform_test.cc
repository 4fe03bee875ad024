#include "platform/platform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

std::string CurrentDirectory() {
  return std::filesystem::current_path().string();
}

// A fresh directory of its own for every test that makes files.
class PlatformFileTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "platform-test-XXXXXX")
            .string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    directory = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(directory); }

  std::string Path(const std::string& file) const {
    return directory + "/" + file;
  }

  std::string directory;
};

std::string ReadAll(const std::string& path) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "<missing>";
  int c;
  while ((c = std::fgetc(file)) != EOF) bytes += static_cast<char>(c);
  std::fclose(file);
  return bytes;
}

TEST(Platform, HeapBlocksAreZeroFilledAlsoWhereTheyGrow) {
  unsigned char* block =
      static_cast<unsigned char*>(platform::AllocateZeroed(64));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(block[i], 0) << i;
  std::memset(block, 0xAB, 64);

  // Shrinking and growing again must not bring back the bytes that were
  // cut off, whether the block stays in place or moves.
  block = static_cast<unsigned char*>(platform::ReallocateZeroed(block, 64, 8));
  ASSERT_NE(block, nullptr);
  block =
      static_cast<unsigned char*>(platform::ReallocateZeroed(block, 8, 100000));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 8; ++i) ASSERT_EQ(block[i], 0xAB) << i;
  for (int i = 8; i < 100000; ++i) ASSERT_EQ(block[i], 0) << i;
  platform::Release(block);
}

TEST(Platform, AllocationLimitFailsLargerRequestsAndTheFailureIsReported) {
  platform::SetAllocationLimitForTesting(1000);
  void* at_limit = platform::AllocateZeroed(1000);
  void* over_limit = platform::AllocateZeroed(1001);
  void* grown = platform::ReallocateZeroed(at_limit, 1000, 1001);
  int failures_before = platform::AllocationFailureCount();
  testing::internal::CaptureStderr();
  platform::ReportAllocationFailure("Memory Allocation Errow in 'String'");
  std::string report = testing::internal::GetCapturedStderr();
  platform::SetAllocationLimitForTesting(0);

  EXPECT_NE(at_limit, nullptr);
  EXPECT_EQ(over_limit, nullptr);
  EXPECT_EQ(grown, nullptr);
  EXPECT_EQ(report, std::string("Memory Allocation Errow in 'String': ") +
                        std::strerror(ENOMEM) + "\n");
  EXPECT_EQ(platform::AllocationFailureCount(), failures_before + 1);
  // A failed growth leaves the block with its owner.
  platform::Release(at_limit);
}

TEST(Platform, CompareNoCaseFoldsAsciiLettersOnly) {
  struct Case {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"Well-1", "WELL-1", true}, {"", "", true},    {"abc", "abc ", false},
      {"abc", "abd", false},      {"@", "`", false},  // 0x40 and 0x60 are not
                                                      // letters
      {"[", "{", false},                              // nor are 0x5B and 0x7B
      {"\xC4", "\xE4", false},  // bytes above 0x7F compare as they are
      {"Z9", "z9", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::CompareNoCase(c.a, c.b) == 0, c.equal)
        << '"' << c.a << "\" vs \"" << c.b << '"';
  }
  EXPECT_LT(platform::CompareNoCase("abc", "ABD"), 0);
  EXPECT_GT(platform::CompareNoCase("ABD", "abc"), 0);
}

TEST(Platform, TextLengthAndCopy) {
  char copy[8] = "zzzzzzz";
  platform::TextCopy(copy, "w-1");
  EXPECT_STREQ(copy, "w-1");
  EXPECT_EQ(platform::TextLength(copy), 3);
  EXPECT_EQ(platform::TextLength(nullptr), 0);
}

TEST(Platform, FullPathFoldsComponentsAgainstTheWorkingDirectory) {
  std::string cwd = CurrentDirectory();
  std::string parent = std::filesystem::path(cwd).parent_path().string();
  struct Case {
    std::string name;
    std::string full;
  } cases[] = {
      {"/a/b/../c/./d", "/a/c/d"},
      {"\\a\\b", "/a/b"},
      {"/a//b/", "/a/b/"},
      {"/a/b/..", "/a"},
      {"/..", "/"},
      {"/../../x", "/x"},
      {"data.txt", cwd + "/data.txt"},
      {"x/../y.las", cwd + "/y.las"},
      {"./w 1.las", cwd + "/w 1.las"},
      {"..", parent},
  };
  for (const Case& c : cases) {
    char out[platform::kMaxPath] = "untouched";
    EXPECT_TRUE(platform::FullPath(out, c.name.c_str(), platform::kMaxPath))
        << c.name;
    EXPECT_EQ(std::string(out), c.full) << c.name;
  }
}

TEST(Platform, FullPathRefusesBlankNamesAndPathsOverTheLimit) {
  std::string longest = "/" + std::string(258, 'a');  // 259 + terminator
  std::string too_long = "/" + std::string(259, 'a');
  char out[platform::kMaxPath] = "untouched";
  EXPECT_FALSE(platform::FullPath(out, "", platform::kMaxPath));
  EXPECT_FALSE(platform::FullPath(out, " \t\r\n", platform::kMaxPath));
  EXPECT_FALSE(platform::FullPath(out, nullptr, platform::kMaxPath));
  EXPECT_FALSE(platform::FullPath(out, too_long.c_str(), platform::kMaxPath));
  EXPECT_FALSE(platform::FullPath(out, "/abc", 4));
  EXPECT_STREQ(out, "untouched");

  ASSERT_TRUE(platform::FullPath(out, longest.c_str(), platform::kMaxPath));
  EXPECT_EQ(std::string(out), longest);
  // Folding happens before the limit is applied.
  ASSERT_TRUE(
      platform::FullPath(out, ("/b/.." + longest).c_str(), platform::kMaxPath));
  EXPECT_EQ(std::string(out), longest);
}

TEST(Platform, SplitPathParts) {
  struct Case {
    const char* path;
    const char* drive;
    const char* directory;
    const char* title;
    const char* extension;
  } cases[] = {
      {"C:\\data\\w-1.las", "C:", "\\data\\", "w-1", ".las"},
      {"C:\\data\\b.c.las", "C:", "\\data\\", "b.c", ".las"},
      {"C:\\data.d\\w1", "C:", "\\data.d\\", "w1", ""},
      {"C:\\data\\.las", "C:", "\\data\\", "", ".las"},
      {"w1.las", "", "", "w1", ".las"},
      {"/home/u/zones.txt", "", "/home/u/", "zones", ".txt"},
      {"a\\b/c.d", "", "a\\b/", "c", ".d"},
      {"out/W-2.LAS", "", "out/", "W-2", ".LAS"},
      {"C:", "C:", "", "", ""},
      {"dir/", "", "dir/", "", ""},
      {"x:y.las", "x:", "", "y", ".las"},
      {"", "", "", "", ""},
  };
  for (const Case& c : cases) {
    char drive[platform::kMaxDrive];
    char directory[platform::kMaxPart];
    char title[platform::kMaxPart];
    char extension[platform::kMaxPart];
    platform::SplitPath(c.path, drive, directory, title, extension);
    EXPECT_STREQ(drive, c.drive) << c.path;
    EXPECT_STREQ(directory, c.directory) << c.path;
    EXPECT_STREQ(title, c.title) << c.path;
    EXPECT_STREQ(extension, c.extension) << c.path;
  }
}

TEST(Platform, SplitPathKeepsAtMost255BytesOfEachPart) {
  std::string directory_part = "/" + std::string(300, 'd') + "/";
  std::string path =
      directory_part + std::string(300, 't') + "." + std::string(300, 'e');
  char directory[platform::kMaxPart];
  char title[platform::kMaxPart];
  char extension[platform::kMaxPart];
  platform::SplitPath(path.c_str(), nullptr, directory, title, extension);
  EXPECT_EQ(std::string(directory), directory_part.substr(0, 255));
  EXPECT_EQ(std::string(title), std::string(255, 't'));
  EXPECT_EQ(std::string(extension), "." + std::string(254, 'e'));
}

TEST_F(PlatformFileTest, CreateUniqueFileMakesANewFileEachTime) {
  std::string first_path;
  std::string second_path;
  std::string err;
  std::FILE* first =
      platform::CreateUniqueFile(directory, "w1.las.", &first_path, &err);
  std::FILE* second = platform::CreateUniqueFile(directory + "/", "w1.las.",
                                                 &second_path, &err);
  ASSERT_NE(first, nullptr) << err;
  ASSERT_NE(second, nullptr) << err;
  EXPECT_NE(first_path, second_path);
  EXPECT_EQ(first_path.rfind(Path("w1.las."), 0), 0u) << first_path;
  EXPECT_EQ(second_path.rfind(Path("w1.las."), 0), 0u) << second_path;

  // Binary read and write.
  std::fputs("DEPT\r\n", first);
  std::rewind(first);
  char line[16] = "";
  ASSERT_NE(std::fgets(line, sizeof(line), first), nullptr);
  EXPECT_STREQ(line, "DEPT\r\n");
  std::fclose(first);
  std::fclose(second);
  EXPECT_EQ(ReadAll(first_path), "DEPT\r\n");
  EXPECT_EQ(ReadAll(second_path), "");
}

TEST_F(PlatformFileTest, CreateUniqueFileFailsInAMissingDirectory) {
  std::string path = "unchanged";
  std::string err;
  EXPECT_EQ(platform::CreateUniqueFile(Path("missing"), "x", &path, &err),
            nullptr);
  EXPECT_EQ(path, "unchanged");
  EXPECT_EQ(err, std::strerror(ENOENT));
}

TEST_F(PlatformFileTest, CreateTemporaryFileUsesTmpdir) {
  const char* old = std::getenv("TMPDIR");
  std::string saved = old != nullptr ? old : "";
  ::setenv("TMPDIR", directory.c_str(), 1);
  std::string path;
  std::string err;
  bool created = platform::CreateTemporaryFile(&path, &err);
  ::setenv("TMPDIR", Path("missing").c_str(), 1);
  std::string missing_err;
  bool created_in_missing =
      platform::CreateTemporaryFile(nullptr, &missing_err);
  if (old != nullptr) {
    ::setenv("TMPDIR", saved.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }

  ASSERT_TRUE(created) << err;
  EXPECT_EQ(path.rfind(directory + "/", 0), 0u) << path;
  EXPECT_EQ(ReadAll(path), "");
  EXPECT_FALSE(created_in_missing);
  EXPECT_EQ(missing_err, std::strerror(ENOENT));
}

}  // namespace
