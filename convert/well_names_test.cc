#include "convert/well_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/scratch.h"

namespace {

TEST(WellNames, FilesStayInTheWorkingDirectory) {
  struct Case {
    const char* name;
    bool stays;
  } cases[] = {
      {"W1.las", true},
      {"sub/W1.las", true},
      {"sub\\W1.las", true},
      {"./W1.las", true},
      {"sub/../W1.las", true},
      {"a/b/../../W1.las", true},
      {"../W1.las", false},
      {"sub/../../W1.las", false},
      {"..\\W1.las", false},
      {"/tmp/W1.las", false},
      {"\\W1.las", false},
      {"C:W1.las", false},
      {"C:\\data\\W1.las", false},
      {"..las", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.stays, StaysInWorkingDirectory(c.name)) << c.name;
}

// Names that reach one file are one well: they share a key.
TEST(WellNames, NamesOfOneFileAreOneWell) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "sub");
  WellFolders folders(dir.path().string());
  auto key = [&folders](const std::string& file_name) {
    std::size_t folder = 0;
    std::string base_name, key, err;
    EXPECT_TRUE(folders.Place(file_name, &folder, &base_name, &key, &err))
        << file_name << ": " << err;
    return key;
  };
  EXPECT_EQ(key("W1.las"), key("./W1.las"));
  EXPECT_EQ(key("W1.las"), key("sub/../W1.las"));
  EXPECT_EQ(key("W1.las"), key("w1.LAS"));
  EXPECT_NE(key("W1.las"), key("W2.las"));
  EXPECT_NE(key("W1.las"), key("sub/W1.las"));
  // Names too long for a file are kept apart by their own text.
  const std::string long_name(300, 'n');
  EXPECT_EQ(key(long_name + ".las"), key(long_name + ".LAS"));
  EXPECT_NE(key(long_name + ".las"), key(long_name + "x.las"));
}

}  // namespace
