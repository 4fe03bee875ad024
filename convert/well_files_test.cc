#include "convert/well_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "convert/las_well_format.h"
#include "convert/resample.h"
#include "tests/scratch.h"

namespace {

using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using ::testing::StartsWith;

// Well files in a scratch directory that is the working directory for the
// test, with the messages kept.
class WellFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_directory_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    std::string err;
    ASSERT_TRUE(
        ParseHeaderLine(String("WELL TOP BOTTOM ZONE V"), &header_, &err));
    wells_ = std::make_unique<WellFiles>(reporter_, format_,
                                         (dir_ / "zones.txt").string());
  }
  void TearDown() override {
    wells_.reset();
    std::filesystem::current_path(previous_directory_);
  }

  // Offers line |number| of the table to the wells, as the loop does; true
  // when its rows were written.
  // Puts a link to |target| in place of the file |name| in the run's
  // private directory; false when there is no private directory.
  bool LinkInPlaceOf(const std::string& name, const std::string& target) {
    std::filesystem::path partial;
    for (const std::string& entry : dir_.List())
      if (entry.rfind("zone2las-partial-", 0) == 0) partial = dir_ / entry;
    if (partial.empty()) return false;
    std::filesystem::remove(partial / name);
    std::filesystem::create_symlink(target, partial / name);
    return true;
  }

  bool Line(long number, const char* text) {
    return Offer(*wells_, number, text);
  }

  bool Offer(WellFiles& wells, long number, const char* text) {
    reporter_.SetLineNumber(number);
    DataLine line;
    std::string err;
    EXPECT_TRUE(ParseDataLine(String(text), 1, 0.1, &line, &err)) << err;
    EXPECT_TRUE(wells.Accepts(line, &err)) << err;
    if (!wells.SwitchTo(line.well)) return false;
    ResampleLine(line, wells.State(), wells.Rows(), 0.1, null_row_tail_);
    return true;
  }

  // Converts |lines| into the folder |folder|.
  void Convert(const std::vector<std::string>& lines,
               const std::string& folder) {
    std::filesystem::create_directory(dir_ / folder);
    WellFiles wells(reporter_, format_, (dir_ / "zones.txt").string(), folder);
    long number = 2;
    for (const std::string& line : lines)
      ASSERT_TRUE(Offer(wells, number++, line.c_str()));
    wells.Publish();
  }

  ScratchDir dir_;
  std::filesystem::path previous_directory_;
  std::string messages_;
  Reporter reporter_{"zones.txt", &messages_};
  TableHeader header_;
  LasWellFormat format_{header_, 0.1};
  const String null_row_tail_{"0   -9999.0  \n"};
  std::unique_ptr<WellFiles> wells_;
};

// Files wait in the run's private directory until the whole table has been
// read, so a run that stops midway publishes nothing.
TEST_F(WellFilesTest, FilesTakeTheirNamesOnlyOnceTheTableHasBeenRead) {
  ASSERT_TRUE(Line(2, "W1 10 10.2 A 1"));
  ASSERT_TRUE(Line(3, "W2 5 5.1 B 2"));  // completes W1 where it is
  EXPECT_THAT(dir_.List(),
              ElementsAre(MatchesRegex("zone2las-partial-[a-z0-9]{8}")));
  wells_->Publish();
  EXPECT_THAT(dir_.List(), ElementsAre("W1.las", "W2.las"));
  EXPECT_THAT(dir_.Read("W1.las"), StartsWith("~Version\n"));
  EXPECT_NE(std::string::npos,
            dir_.Read("W1.las").find("STOP.M           10.200000 :\n"));
  EXPECT_EQ("", messages_);
  EXPECT_FALSE(reporter_.failed());
}

TEST_F(WellFilesTest, ARunThatEndsWithoutPublishingLeavesNothing) {
  dir_.Write("W1.las", "an earlier run's file\n");
  ASSERT_TRUE(Line(2, "W1 10 10.2 A 1"));
  ASSERT_TRUE(Line(3, "W2 5 5.1 B 2"));
  wells_.reset();
  EXPECT_THAT(dir_.List(), ElementsAre("W1.las"));
  EXPECT_EQ("an earlier run's file\n", dir_.Read("W1.las"));
}

// A line may not start above its well's last accepted line, whether that
// well runs, is finished, or has lines waiting for its turn; every spelling
// of the well's file finds it.
TEST_F(WellFilesTest, ALineIsCheckedAgainstItsWellsLastAcceptedLine) {
  const auto accepts = [this](const char* text) {
    DataLine line;
    std::string err;
    EXPECT_TRUE(ParseDataLine(String(text), 1, 0.1, &line, &err)) << err;
    const bool accepted = wells_->Accepts(line, &err);
    return accepted ? std::string("accepted") : err;
  };
  const auto waits = [this](long number, const char* text) {
    DataLine line;
    std::string err;
    EXPECT_TRUE(ParseDataLine(String(text), 1, 0.1, &line, &err)) << err;
    return wells_->Waits(line, number);
  };
  EXPECT_EQ("accepted", accepts("W1 0 1 A 1"));
  ASSERT_TRUE(Line(2, "W1 10 10.2 A 1"));
  EXPECT_EQ(
      "top depth 10.1 lies above the bottom depth 10.2 of the previous line "
      "of well \"w1\"",
      accepts("w1 10.1 11 A 1"));
  EXPECT_EQ("accepted", accepts("w1 10.2 11 A 1"));
  EXPECT_FALSE(waits(3, "W1 10.2 11 A 1"));  // the current well
  ASSERT_TRUE(Line(3, "W2 50 50.3 X 9"));
  EXPECT_NE("accepted", accepts("./W1 10.1 11 A 1"));
  EXPECT_NE("accepted", accepts("W2 50.2 51 A 1"));
  EXPECT_FALSE(waits(4, "W3 1 2 A 1"));  // a well not seen yet
  EXPECT_TRUE(waits(4, "W1 10.5 10.6 C 3"));
  EXPECT_NE("accepted", accepts("W1 10.55 11 A 1"));
  EXPECT_EQ("accepted", accepts("W1 10.6 11 A 1"));
  ASSERT_TRUE(Line(5, "w1 10.6 10.8 C 3"));
  EXPECT_NE("accepted", accepts("W1 10.7 11 A 1"));
}

// Only a well that comes back after another well's lines, far below its
// last line, returns across a gap; the current well never does.
TEST_F(WellFilesTest, AWellReturnsAcrossAGapOnlyAfterOtherWellsAndFarBelow) {
  const auto across = [this](const char* text) {
    DataLine line;
    std::string err;
    EXPECT_TRUE(ParseDataLine(String(text), 1, 0.1, &line, &err)) << err;
    return wells_->ReturnsAcrossGap(line, 100000);  // 100 m
  };
  ASSERT_TRUE(Line(2, "W1 10 10.2 A 1"));
  EXPECT_FALSE(across("W1 500 501 B 2"));  // the current well
  ASSERT_TRUE(Line(3, "W2 50 50.3 X 9"));
  EXPECT_FALSE(across("W3 500 501 B 2"));    // a well not seen yet
  EXPECT_FALSE(across("w1 110.2 111 B 2"));  // 100 m below: not more
  EXPECT_TRUE(across("w1 110.201 111 B 2"));
  wells_->Defer(String("W1"), 4);
  EXPECT_FALSE(across("W1 500 501 B 2"));  // set aside already
}

TEST_F(WellFilesTest, RefusedWellsAreReportedOnceAndTheirLinesSkipped) {
  const std::string long_name(300, 'n');
  struct Case {
    std::string well;
    std::string expected_message;
  } cases[] = {
      {"../up",
       "zone2las: zones.txt:2: well \"../up\" would place its file outside "
       "the working directory; its lines are skipped\n"},
      {"sub/W1",  // no such directory
       "zone2las: zones.txt:2: cannot create sub/W1.las: No such file or "
       "directory (the well's name places its file in the folder \"sub\"; "
       "--flat-names keeps the whole name in the file's name: sub_W1.las)\n"},
      {long_name, "zone2las: zones.txt:2: cannot create " + long_name +
                      ".las: File name too long\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.well);
    messages_.clear();
    EXPECT_FALSE(Line(2, (c.well + " 10 10.2 A 1").c_str()));
    EXPECT_FALSE(Line(3, (c.well + " 10.2 10.4 A 1").c_str()));
    EXPECT_EQ(c.expected_message, messages_);
    EXPECT_TRUE(reporter_.failed());
  }
}

TEST_F(WellFilesTest, AWellThatWouldReplaceTheZoneTableIsSkipped) {
  dir_.Write("zones.las", "WELL TOP BOTTOM ZONE V\n");
  wells_ = std::make_unique<WellFiles>(reporter_, format_,
                                       (dir_ / "zones.las").string());
  EXPECT_FALSE(Line(2, "zones 10 10.2 A 1"));
  EXPECT_EQ(
      "zone2las: zones.txt:2: well \"zones\" would replace the zone "
      "table; its lines are skipped\n",
      messages_);
}

// A well goes on in its own file, whatever another process does to the name
// it will take meanwhile.
TEST_F(WellFilesTest, AWellContinuesItsOwnFileWhateverHappensToItsName) {
  ASSERT_TRUE(Line(2, "W1 10 10.2 A 1"));
  ASSERT_TRUE(Line(3, "W2 50 50.3 X 9"));
  dir_.Write("W1.las", "another run's file\n");
  ASSERT_TRUE(Line(4, "W1 10.5 10.6 C 3"));
  wells_->Publish();
  EXPECT_EQ("", messages_);
  const std::string las = dir_.Read("W1.las");
  EXPECT_NE(std::string::npos, las.find("10.190000   A   1      1\n"
                                        "10.200000   A   1      1\n"
                                        "10.300000   A   0   -9999.0  \n"));
  EXPECT_THAT(las, ::testing::EndsWith("10.590000   C   1      3\n"
                                       "10.600000   C   1      3\n"));
}

// A well's file is reopened only as its own: when it has been replaced by a
// link by the time the well is completed, the well is dropped, the others
// are published, and nothing reaches where the link leads.
TEST_F(WellFilesTest, AReopenedFileNeverFollowsALinkPutInItsPlace) {
  dir_.Write("secret.txt", "secret\n");
  ASSERT_TRUE(Line(2, "W1 10 10.2 A 1"));
  ASSERT_TRUE(Line(3, "W2 50 50.3 X 9"));
  ASSERT_TRUE(Line(4, "W1 10.5 10.6 C 3"));  // left without its closing row
  ASSERT_TRUE(Line(5, "W2 50.5 50.6 Y 8"));
  ASSERT_TRUE(LinkInPlaceOf("W1.las", "../secret.txt"));
  wells_->Publish();
  EXPECT_THAT(messages_,
              MatchesRegex("zone2las: W1.las: cannot continue: [^\n]+\n"));
  EXPECT_EQ("secret\n", dir_.Read("secret.txt"));
  EXPECT_THAT(dir_.List(), ElementsAre("W2.las", "secret.txt"));
  EXPECT_TRUE(reporter_.failed());
}

// A well whose file cannot be reopened when it comes back is dropped with
// the reason, and its later lines are skipped; the well that goes on after
// it is published untouched.
TEST_F(WellFilesTest, AWellThatCannotReopenItsFileIsDropped) {
  dir_.Write("secret.txt", "secret\n");
  ASSERT_TRUE(Line(2, "W1 10 10.2 A 1"));
  ASSERT_TRUE(Line(3, "W2 50 50.3 X 9"));
  ASSERT_TRUE(LinkInPlaceOf("W1.las", "../secret.txt"));
  EXPECT_FALSE(Line(4, "W1 10.5 1200 C 3"));
  EXPECT_THAT(messages_,
              MatchesRegex("zone2las: W1.las: cannot continue: [^\n]+\n"));
  messages_.clear();
  EXPECT_FALSE(Line(5, "W1 1200 1201 C 3"));
  ASSERT_TRUE(Line(6, "W2 50.5 50.6 Y 8"));
  wells_->Publish();
  EXPECT_EQ("", messages_);
  EXPECT_THAT(dir_.List(), ElementsAre("W2.las", "secret.txt"));
  EXPECT_EQ("secret\n", dir_.Read("secret.txt"));
}

// Wells that take turns give the files of the same lines grouped by well:
// each return reopens the well's file where its rows end, over its closing
// row (the last interval of W2, 1000 m, is about 600 KB of rows, longer than
// a block of rows).
TEST_F(WellFilesTest, WellsTakingTurnsGiveTheFilesOfGroupedLines) {
  const char* const names[] = {"W1", "W2", "W3", "W4", "W5"};
  std::vector<std::string> by_turns;
  std::vector<std::string> by_well;
  for (int turn = 0; turn < 4; ++turn) {
    for (const char* name : names) {
      const double top = 100 + 10 * turn;
      const double bottom = top + (name[1] == '2' && turn == 3 ? 1000 : 7.35);
      by_turns.push_back(
          FormatText("%s %g %g Z%d %d", name, top, bottom, turn, turn));
    }
  }
  for (const char* name : names) {
    for (const std::string& line : by_turns)
      if (line.compare(0, 3, std::string(name) + " ") == 0)
        by_well.push_back(line);
  }
  Convert(by_turns, "turns");
  Convert(by_well, "grouped");
  for (const char* name : names) {
    const std::string file = std::string(name) + ".las";
    const std::string grouped = dir_.Read("grouped/" + file);
    EXPECT_GT(grouped.size(), 1000u);
    // Compared whole, but not printed whole when they differ.
    EXPECT_TRUE(grouped == dir_.Read("turns/" + file)) << file;
  }
  EXPECT_EQ("", messages_);
}

}  // namespace
