#include "convert/well_names.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(WellNames, NamesOfOneFileAreOneWell) {
  EXPECT_EQ(WellKey("W1.las"), WellKey("./W1.las"));
  EXPECT_EQ(WellKey("W1.las"), WellKey("sub/../W1.las"));
  EXPECT_EQ(WellKey("W1.las"), WellKey("w1.LAS"));
  EXPECT_NE(WellKey("W1.las"), WellKey("W2.las"));
  EXPECT_NE(WellKey("W1.las"), WellKey("sub/W1.las"));
  // Names too long to resolve are kept apart by their own text.
  const std::string long_name(300, 'n');
  EXPECT_EQ(WellKey(long_name + ".las"), WellKey(long_name + ".LAS"));
  EXPECT_NE(WellKey(long_name + ".las"), WellKey(long_name + "x.las"));
}

}  // namespace
