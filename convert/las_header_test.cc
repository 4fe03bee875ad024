#include "convert/las_header.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/scratch.h"

namespace {

// Writes a header for the file |file_name| in |dir| and returns its bytes.
std::string HeaderFor(const ScratchDir& dir, const std::string& file_name,
                      const String& header_line, double step,
                      std::int64_t* strt_offset = nullptr) {
  DiskFile file;
  file.SetName((dir / file_name).string().c_str());
  EXPECT_TRUE(file.OpenWrite(false));
  TableHeader header;
  std::string err;
  EXPECT_TRUE(ParseHeaderLine(header_line, &header, &err)) << err;
  // The well is named as its file, less ".las".
  const std::string well = file_name.substr(0, file_name.size() - 4);
  const std::int64_t offset =
      WriteLasHeader(file, header, step, String(well.c_str()));
  if (strt_offset) *strt_offset = offset;
  EXPECT_TRUE(file.Close());
  return dir.Read(file_name);
}

// The curve section: from "~Curve\n" to the end.
std::string Curves(const std::string& header) {
  return header.substr(header.find("~Curve\n"));
}

TEST(LasHeader, MatchesTheReferenceHeaderByteForByte) {
  ScratchDir dir;
  String header_line("WELL TOP BOTTOM ZONE PORO PERM\n");
  std::int64_t strt_offset = 0;
  const std::string header =
      HeaderFor(dir, "W-1.las", header_line, 0.1, &strt_offset);
  EXPECT_EQ(
      "~Version\n"
      "VERS.                          2.0 :CWLS LOG ASCII STANDARD - VERSION "
      "2.0\n"
      "WRAP.                          NO  : ONE LINE PER DEPTH STEP\n"
      "~Well\n"
      "STRT.M            0.000000 :\n"
      "STOP.M            0.000000 :\n"
      "STEP.M            0.100000 :\n"
      "NULL.              -9999.0 :\n"
      "WELL.                  W-1 :\n"
      "~Curve\n"
      "DEPT.M :\n"
      "ZONELOG. :\n"
      "DEFINTERV. :\n"
      "PORO. :\n"
      "PERM. :\n"
      "~Ascii\n",
      header);
  EXPECT_EQ(358u, header.size());
  EXPECT_EQ(150, strt_offset);
}

TEST(LasHeader, DepthRangeOverwritesThePlaceholdersOnly) {
  ScratchDir dir;
  String header_line("WELL TOP BOTTOM ZONE PORO PERM");
  const std::string before = HeaderFor(dir, "W-1.las", header_line, 0.1);

  for (const auto& range : {std::pair<double, double>{98.0, 134.5},
                            std::pair<double, double>{-2.0, 0.5}}) {
    DiskFile file;
    file.SetName((dir / "W-1.las").string().c_str());
    ASSERT_TRUE(file.OpenReadUpdate(false));
    WriteDepthRange(file, 150, 'M', range.first, range.second);
    ASSERT_TRUE(file.Close());
    const std::string after = dir.Read("W-1.las");
    ASSERT_EQ(before.size(), after.size());
    EXPECT_EQ(before.substr(0, 150), after.substr(0, 150));
    EXPECT_EQ(before.substr(208), after.substr(208));
    if (range.first == 98.0) {
      EXPECT_EQ("STRT.M           98.000000 :\nSTOP.M          134.500000 :\n",
                after.substr(150, 58));
    } else {
      EXPECT_EQ("STRT.M           -2.000000 :\nSTOP.M            0.500000 :\n",
                after.substr(150, 58));
    }
  }
}

TEST(LasHeader, CurveSectionListsEachAttributeName) {
  struct Case {
    const char* header_line;
    const char* curves;
  } cases[] = {
      {"WELL TOP BOTTOM ZONE",
       "~Curve\nDEPT.M :\nZONELOG. :\nDEFINTERV. :\n~Ascii\n"},
      {"WELL\tTOP  BOTTOM \t ZONE   PORO\t\tPERM  \r\n",
       "~Curve\nDEPT.M :\nZONELOG. :\nDEFINTERV. :\nPORO. :\nPERM. "
       ":\n~Ascii\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header_line);
    ScratchDir dir;
    String header_line(c.header_line);
    EXPECT_EQ(c.curves, Curves(HeaderFor(dir, "W.las", header_line, 0.1)));
  }
}

TEST(LasHeader, EveryFileOfARunGetsTheSameCurves) {
  ScratchDir dir;
  String header_line("WELL TOP BOTTOM ZONE A B C");
  const std::string first = HeaderFor(dir, "W1.las", header_line, 0.1);
  const std::string second = HeaderFor(dir, "W2.las", header_line, 0.1);
  EXPECT_EQ(Curves(first), Curves(second));
  EXPECT_NE(std::string::npos, Curves(second).find("C. :\n~Ascii\n"));
}

TEST(LasHeader, StepShowsWithSixDecimals) {
  struct Case {
    double step;
    const char* line;
  } cases[] = {
      {0.25, "STEP.M            0.250000 :"},
      {0.0000126, "STEP.M            0.000013 :"},
      {0.0000001, "STEP.M            0.000000 :"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    String header_line("W T B Z");
    const std::string header = HeaderFor(dir, "W.las", header_line, c.step);
    EXPECT_NE(std::string::npos, header.find(std::string(c.line) + "\n"))
        << c.line;
  }
}

TEST(LasHeader, WellLineCarriesTheFileTitleUncut) {
  struct Case {
    const char* file_name;
    const char* line;
  } cases[] = {
      {"A.1.las", "WELL.                  A.1 :\n"},
      {"A-very-long-well-name-01.las", "WELL. A-very-long-well-name-01 :\n"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    String header_line("W T B Z");
    const std::string header = HeaderFor(dir, c.file_name, header_line, 0.1);
    EXPECT_NE(std::string::npos, header.find(c.line)) << c.file_name;
    // The title comes after the depth range, so STRT stays at 150.
    EXPECT_EQ("STRT.M", header.substr(150, 6));
  }
}

}  // namespace
