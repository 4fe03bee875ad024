#include "convert/well_registry.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/scratch.h"

namespace {

// A registry of wells whose files go into a scratch directory, with the
// messages kept.
class WellRegistryTest : public ::testing::Test {
 protected:
  WellRegistry::Well& Lookup(const char* name) {
    return registry_.Lookup(String(name));
  }

  ScratchDir dir_;
  std::string messages_;
  Reporter reporter_{"zones.txt", &messages_};
  WellFolders folders_{dir_.path().string()};
  WellRegistry registry_{reporter_, folders_, (dir_ / "zones.txt").string(),
                         dir_.path().string()};
};

// Every spelling of one file gives its one well, whether it is the name
// last looked up, one looked up before or a new one; the file keeps the
// name that reached it first.
TEST_F(WellRegistryTest, NamesOfOneFileAreOneWell) {
  WellRegistry::Well* w1 = &Lookup("W1");
  EXPECT_EQ(w1, &Lookup("W1"));
  EXPECT_EQ(w1, &Lookup("w1"));
  WellRegistry::Well* w2 = &Lookup("W2");
  EXPECT_NE(w1, w2);
  EXPECT_EQ(w1, &Lookup("./W1"));
  EXPECT_EQ(w1, &Lookup("W1"));
  EXPECT_EQ(w2, &Lookup("W2"));
  EXPECT_EQ(w1, &Lookup("w1"));
  EXPECT_EQ((dir_ / "W1.las").string(), w1->file_name);
  EXPECT_EQ("W1.las", w1->base_name);
  EXPECT_FALSE(w1->failed);
  EXPECT_EQ("", messages_);
}

// Under flat names, spellings that only flattening makes one file are one
// well, and that is noted once, on the line of the second spelling.
TEST_F(WellRegistryTest, NamesMadeOneByFlatteningAreNotedOnce) {
  registry_.SetFlatNames(true);
  reporter_.SetLineNumber(2);
  WellRegistry::Well* well = &Lookup("W/1");
  EXPECT_EQ("", messages_);
  reporter_.SetLineNumber(3);
  EXPECT_EQ(well, &Lookup("W:1"));
  EXPECT_EQ("zone2las: zones.txt:3: note: well \"W/1\" and well \"W:1\" reach "
            "one file, " +
                (dir_ / "W_1.las").string() +
                ", once their names are flattened: they are one well\n",
            messages_);
  reporter_.SetLineNumber(4);
  EXPECT_EQ(well, &Lookup("W?1"));
  EXPECT_EQ(well, &Lookup("W/1"));
  EXPECT_EQ(std::string::npos, messages_.find(":4:"));
  std::string refusal;
  EXPECT_FALSE(registry_.TakeRefusal(*well, &refusal));
}

}  // namespace
