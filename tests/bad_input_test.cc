// The built program against input that is not a zone table, against files
// and directories in its way, a full disk and a kill in the middle of a
// well: each gives its message and exit status, and nothing else is lost.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/scratch.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

namespace fs = std::filesystem;

namespace {

const char kHeader[] = "WELL TOP BOTTOM ZONE V\n";
// The name a file in progress lives under.
const char kPartialPattern[] = "zone2las-partial-[A-Za-z0-9]{8}";

// Runs the program like RunProgram, after |limits|: shell commands that set
// resource limits (ulimit) for it.
ProgramResult RunWithLimits(const ScratchDir& dir,
                            const std::vector<std::string>& args,
                            const std::string& limits) {
#ifdef _WIN32
  // No such limits to be had: the run goes without them.
  (void)limits;
  return RunProgram(dir, args);
#else
  return RunProgram(dir, args, limits);
#endif
}

// Files limited to |kib| KiB. A write past the limit fails with EFBIG, as on
// a full disk.
ProgramResult RunOnFullDisk(const ScratchDir& dir,
                            const std::vector<std::string>& args, int kib) {
  return RunWithLimits(dir, args,
                       "trap '' XFSZ; ulimit -f " + std::to_string(kib));
}

// The sanitizers reserve terabytes of address space, so a limit on it would
// stop them before the program starts.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The bytes of the file at |path|; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path) {
  std::string text;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    std::size_t read;
    while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0)
      text.append(buffer, read);
    std::fclose(file);
  }
  return text;
}

// Line |i| of well |w| of a generated table: ten metres a line.
std::string FormatWellLine(int w, int i, int metres = 10) {
  return "W" + std::to_string(w) + " " + std::to_string(i * metres) + " " +
         std::to_string(i * metres + metres) + " Z" + std::to_string(i) + " " +
         std::to_string(i) + "\n";
}

// Writes the table of |wells| wells of |intervals| intervals of |metres|
// each as zones.txt: grouped by well into |together|, the wells taking
// turns at every line into |apart|.
void WriteWellsTakingTurns(int wells, int intervals, int metres,
                           const ScratchDir& apart,
                           const ScratchDir& together) {
  std::string grouped = kHeader, interleaved = kHeader;
  for (int w = 0; w < wells; ++w)
    for (int i = 0; i < intervals; ++i)
      grouped += FormatWellLine(w, i, metres);
  for (int i = 0; i < intervals; ++i)
    for (int w = 0; w < wells; ++w)
      interleaved += FormatWellLine(w, i, metres);
  apart.Write("zones.txt", interleaved);
  together.Write("zones.txt", grouped);
}

// The LAS files that |table| gives in a clean run, by name.
std::vector<std::pair<std::string, std::string>> CleanFiles(
    const std::string& table) {
  ScratchDir clean;
  clean.Write("zones.txt", table);
  const ProgramResult result = RunProgram(clean, {"zones.txt"});
  EXPECT_EQ(0, result.status) << result.err;
  std::vector<std::pair<std::string, std::string>> files;
  for (const std::string& name : clean.List()) {
    if (name != "zones.txt") files.emplace_back(name, clean.Read(name));
  }
  return files;
}

// Expects the LAS files of a clean run of |table| in |dir|, byte for byte.
void ExpectFilesOf(const std::string& table, const ScratchDir& dir) {
  for (const auto& [name, content] : CleanFiles(table)) {
    ASSERT_TRUE(dir.Exists(name)) << name;
    EXPECT_TRUE(content == dir.Read(name)) << name << " differs";
  }
}

TEST(BadInput, TablesThatAreNotTextWriteNothing) {
  const std::string elf = std::string(
                              "\x7f"
                              "ELF\x02\x01\x01",
                              7) +
                          std::string(9, '\0') +
                          std::string("\x03\x00\x3e\x00", 4) +
                          std::string(200, '\x90');
  // Bytes of every value but NUL and the line feed, from a fixed seed: some
  // lines are blank-free runs, some hold tokens; none is a data line.
  std::mt19937 random(20260101);
  std::string noise;
  for (int i = 0; i < 1 << 16; ++i) {
    char c = static_cast<char>(random() % 256);
    if (c == '\0') c = ' ';
    if (c == '\n' && i % 7 != 0) c = '\t';
    noise += c;
  }
  struct Case {
    const char* name;
    std::string table;
    const char* expected_err;  // null: checked line by line below
  } cases[] = {
      {"executable", elf,
       "zone2las: zones.txt:1: header line holds a NUL byte; is this a text "
       "file?\n"},
      {"one 10 MB line", std::string(10 << 20, 'x'),
       "zone2las: zones.txt:1: the header line names 1 columns; it needs at "
       "least 4 (well, top, bottom, zone)\n"},
      {"noise", noise, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.Write("zones.txt", c.table);
    const ProgramResult result = RunProgram(dir, {"zones.txt"});
    EXPECT_EQ(1, result.status);
    if (c.expected_err != nullptr) {
      EXPECT_EQ(c.expected_err, result.err);
    } else {
      EXPECT_THAT(result.err, ::testing::StartsWith("zone2las: zones.txt:"));
      EXPECT_THAT(result.err, ::testing::EndsWith("\n"));
    }
    EXPECT_THAT(dir.List(), ElementsAre("zones.txt"));
    EXPECT_TRUE(c.table == dir.Read("zones.txt"));
  }
}

// A file of NUL bytes and no line feed (a disk image, a device) is one line:
// the program reads it through in a fraction of its size in memory, and
// refuses it.
TEST(BadInput, FileWithoutLineFeedIsReadInLittleMemory) {
  ScratchDir dir;
  dir.Write("zones.txt", "");
  fs::resize_file(dir / "zones.txt", std::uintmax_t{256} << 20);
  const ProgramResult result =
      kSanitized ? RunProgram(dir, {"zones.txt"})
                 : RunWithLimits(dir, {"zones.txt"}, "ulimit -v 131072");
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(
      "zone2las: zones.txt:1: header line holds a NUL byte; is this a text "
      "file?\n",
      result.err);
  EXPECT_THAT(dir.List(), ElementsAre("zones.txt"));
}

TEST(BadInput, TenMegabyteValueIsCarriedWhole) {
  const std::string value(10 << 20, 'v');
  ScratchDir dir;
  dir.Write("zones.txt", std::string(kHeader) + "W1 10 10.01 A " + value +
                             "\nW2 1 1.2 D 4\n");
  const ProgramResult result = RunProgram(dir, {"zones.txt"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.err);
  const std::string las = dir.Read("W1.las");
  const std::string row_end = "   A   1      " + value + "\n";
  EXPECT_TRUE(las.find("10.000000" + row_end + "10.010000" + row_end) !=
              std::string::npos);
  ExpectFilesOf(std::string(kHeader) + "W2 1 1.2 D 4\n", dir);
}

TEST(BadInput, HeaderOfTenThousandNames) {
  constexpr int kNames = 10000;
  std::string header = "WELL TOP BOTTOM ZONE";
  std::string values;
  std::string curves;
  std::string row_cells;
  std::string null_cells;
  for (int i = 0; i < kNames; ++i) {
    header += " C" + std::to_string(i);
    values += " " + std::to_string(i);
    curves += "C" + std::to_string(i) + ". :\n";
    row_cells += "   " + std::to_string(i);
    null_cells += "-9999.0  ";
  }
  ScratchDir dir;
  dir.Write("zones.txt", header + "\nW1 10 10.1 A" + values +
                             "\nW1 10.5 10.6 B" + values + "\n");
  const ProgramResult result = RunProgram(dir, {"zones.txt"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.err);
  const std::string las = dir.Read("W1.las");
  EXPECT_THAT(las, HasSubstr("DEFINTERV. :\n" + curves + "~Ascii\n8.000000"));
  EXPECT_THAT(las, HasSubstr("\n10.000000   A   1   " + row_cells + "\n"));
  EXPECT_THAT(las, HasSubstr("\n10.200000   A   0   " + null_cells + "\n"));
  EXPECT_THAT(las,
              ::testing::EndsWith("\n10.600000   B   1   " + row_cells + "\n"));
}

// A header of 100,000 names and data lines of 100,000 values take time in
// proportion to their width: well within a CPU limit that rows built by
// repeated joining would need ten times over.
TEST(BadInput, WideLinesWithinACpuLimit) {
  constexpr int kNames = 100000;
  std::string header = "WELL TOP BOTTOM ZONE";
  std::string values;
  for (int i = 0; i < kNames; ++i) {
    header += " C" + std::to_string(i);
    values += " " + std::to_string(i % 10);
  }
  ScratchDir dir;
  dir.Write("zones.txt",
            header + "\nW1 10 11 A" + values + "\nW1 12 13 B" + values + "\n");
  const ProgramResult result =
      RunWithLimits(dir, {"zones.txt", "1"}, "ulimit -t 10");
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ("", result.err);
  std::string row_cells;
  std::string null_cells;
  for (int i = 0; i < kNames; ++i) {
    row_cells += "   " + std::to_string(i % 10);
    null_cells += "-9999.0  ";
  }
  const std::string las = dir.Read("W1.las");
  EXPECT_TRUE(las.find("\n9.000000    0   0   " + null_cells + "\n") !=
              std::string::npos);
  EXPECT_TRUE(las.find("\n12.000000   B   1   " + row_cells + "\n") !=
              std::string::npos);
}

// Each case puts one thing in a well's way; the other well is written and
// nothing that was there before is touched.
TEST(BadInput, WellsThatCannotBeWrittenLeaveEverythingElse) {
  // Stands for the longest name whose file still resolves (259 bytes and
  // the terminator), while its file in progress would not.
  const std::string kLongName = "<long>";
  struct Case {
    const char* name;
    std::string well;
    std::string table_name;
    std::string expected_err;  // "<well>" stands for the well's name
  } cases[] = {
      {"output name is a directory", "W1", "zones.txt",
       "zone2las: W1.las: cannot write: Is a directory\n"},
      {"subdirectory is a file", "zones.txt/W1", "zones.txt",
       "zone2las: zones.txt:2: cannot create zones.txt/W1.las: Not a "
       "directory (the well's name places its file in the folder "
       "\"zones.txt\"; --flat-names keeps the whole name in the file's "
       "name: zones.txt_W1.las)\n"},
      {"output would replace the table", "W1", "W1.las",
       "zone2las: W1.las:2: well \"W1\" would replace the zone table; its "
       "lines are skipped\n"},
      {"name too long for the file system", kLongName, "zones.txt",
       "zone2las: zones.txt:2: cannot create <well>.las: File name too "
       "long\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    // A directory with a file in it stands where W1.las would go, unless
    // W1.las is the table itself.
    if (c.table_name != "W1.las") dir.Write("W1.las/keep", "keep\n");
    const std::string well =
        c.well != kLongName ? c.well : std::string(300, 'n');
    std::string expected_err = c.expected_err;
    if (const std::size_t at = expected_err.find("<well>");
        at != std::string::npos)
      expected_err.replace(at, 6, well);
    const std::string table = std::string(kHeader) + well + " 10 10.2 A 1\n" +
                              well + " 10.2 10.4 B 2\nW2 1 1.2 D 4\n";
    dir.Write(c.table_name, table);
    const ProgramResult result = RunProgram(dir, {c.table_name});
    EXPECT_EQ(1, result.status);
    EXPECT_EQ(expected_err, result.err);
    EXPECT_TRUE(table == dir.Read(c.table_name));
    if (c.table_name == "W1.las") {
      EXPECT_THAT(dir.List(), ElementsAre("W1.las", "W2.las"));
    } else {
      EXPECT_EQ("keep\n", dir.Read("W1.las/keep"));
      EXPECT_THAT(dir.List(), ElementsAre("W1.las", "W2.las", "zones.txt"));
    }
    ExpectFilesOf(std::string(kHeader) + "W2 1 1.2 D 4\n", dir);
  }
}

// Two names that reach one file are one well, whose lines continue that file
// as if they had stood together.
TEST(BadInput, NamesOfOneFileAreOneWell) {
  ScratchDir dir;
  fs::create_directory(dir / "sub");
  dir.Write("zones.txt", std::string(kHeader) +
                             "W1 10 10.2 A 1\n"
                             "./W1 10.2 10.4 B 2\n"
                             "sub/../w1 10.5 10.6 C 3\n"
                             "W2 1 1.2 D 4\n"
                             "./W1 11 11.1 E 5\n");
  const ProgramResult result = RunProgram(dir, {"zones.txt"});
  EXPECT_EQ(0, result.status);
  EXPECT_EQ("", result.err);
  EXPECT_THAT(dir.List(), ElementsAre("W1.las", "W2.las", "sub", "zones.txt"));
  ExpectFilesOf(std::string(kHeader) +
                    "W1 10 10.2 A 1\nW1 10.2 10.4 B 2\nW1 10.5 10.6 C 3\n"
                    "W1 11 11.1 E 5\nW2 1 1.2 D 4\n",
                dir);
}

#ifndef _WIN32

// A well is known by the file it reaches: through a linked folder, a second
// spelling of a well continues its file instead of replacing it.
TEST(BadInput, NamesThroughALinkedFolderAreOneWell) {
  ScratchDir dir;
  fs::create_directory(dir / "logs");
  fs::create_directory_symlink("logs", dir / "current");
  dir.Write("zones.txt", std::string(kHeader) +
                             "logs/W1 10 10.2 A 1\n"
                             "W2 1 1.2 B 2\n"
                             "current/W1 500 500.3 X 7\n");
  const ProgramResult result = RunProgram(dir, {"zones.txt"});
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ("", result.err);
  ScratchDir together;
  fs::create_directory(together / "logs");
  together.Write("zones.txt", std::string(kHeader) +
                                  "logs/W1 10 10.2 A 1\n"
                                  "logs/W1 500 500.3 X 7\n");
  ASSERT_EQ(0, RunProgram(together, {"zones.txt"}).status);
  EXPECT_EQ(together.Read("logs/W1.las"), dir.Read("logs/W1.las"));
  EXPECT_THAT(dir.List(),
              ElementsAre("W2.las", "current", "logs", "zones.txt"));
}

TEST(BadInput, FullDiskKeepsEarlierFileAndWritesWhatFits) {
  const std::string long_well = "W1 10 200 A 1\n";  // 1,900 rows: > 8 KiB
  struct Case {
    const char* name;
    std::string table;
    std::string expected_w1;  // the table whose W1.las must stay in place
  } cases[] = {
      {"well too big", std::string(kHeader) + long_well + "W2 1 1.2 D 4\n", ""},
      // Nothing of a well is published before the whole table has been
      // read: the earlier file stays.
      {"continued well too big",
       std::string(kHeader) + "W1 1 1.5 A 1\nW2 1 1.2 D 4\nW1 2 200 A 1\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.Write("W1.las", "earlier W1\n");
    dir.Write("zones.txt", c.table);
    const ProgramResult result = RunOnFullDisk(dir, {"zones.txt"}, 8);
    EXPECT_EQ(1, result.status);
    EXPECT_EQ("zone2las: W1.las: cannot write: File too large\n", result.err);
    EXPECT_THAT(dir.List(), ElementsAre("W1.las", "W2.las", "zones.txt"));
    if (c.expected_w1.empty())
      EXPECT_EQ("earlier W1\n", dir.Read("W1.las"));
    else
      ExpectFilesOf(c.expected_w1, dir);
    ExpectFilesOf(std::string(kHeader) + "W2 1 1.2 D 4\n", dir);
  }
}

// Once a write has failed, the rest of the well is not made: two billion
// rows at 0.001 m would take minutes of CPU, the run ends within seconds.
TEST(BadInput, FullDiskStopsTheWellsRows) {
  ScratchDir dir;
  dir.Write("zones.txt",
            std::string(kHeader) + "W1 0 2000000 A 1\nW2 1 1.2 D 4\n");
  const ProgramResult result = RunWithLimits(
      dir, {"zones.txt", "0.001"}, "trap '' XFSZ; ulimit -f 256; ulimit -t 10");
  EXPECT_EQ(1, result.status);
  EXPECT_EQ("zone2las: W1.las: cannot write: File too large\n", result.err);
  EXPECT_THAT(dir.List(), ElementsAre("W2.las", "zones.txt"));
}

// Memory grows with a line's bytes by a small factor, whatever the line
// holds: fields past the header's count cost nothing. A 24 MB line took
// gigabytes when every field was kept.
TEST(BadInput, LinesOfManyFieldsCostMemoryInProportion) {
  if (kSanitized || ProgramIsWindows())
    GTEST_SKIP() << "no address-space limit here";
  std::string fields;
  for (int i = 0; i < 12 << 20; ++i) fields += " a";
  struct Case {
    const char* name;
    std::string table;
  };
  const Case kCases[] = {
      {"zones.csv", "W,T,B,Z,V\nW1,1,2,A," + std::string(24 << 20, ',') + "\n"},
      {"zones.txt", "W T B Z V\nW1 1 2 A 1" + fields + "\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.Write(c.name, c.table);
    const ProgramResult result =
        RunWithLimits(dir, {c.name}, "ulimit -v 262144");
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_TRUE(dir.Exists("W1.las"));
  }
}

// A header of many named columns, and lines with a value for each: the
// fields of a line are kept as offsets into one buffer, so that the run needs
// no more than 8 bytes of address space per byte of its longest line, beside
// the program's own and the two texts that every row of the file is copied
// from (a null row and the line's row, each as long as a row of the file).
TEST(BadInput, WideHeadersCostMemoryInProportion) {
  if (kSanitized || ProgramIsWindows())
    GTEST_SKIP() << "no address-space limit here";
  constexpr int kColumns = 500000;
  std::string names, ones, empties;
  for (int i = 0; i < kColumns; ++i) {
    names += " C" + std::to_string(i);
    ones += " 1";
    empties += ",";
  }
  std::string csv_names = names;
  std::replace(csv_names.begin(), csv_names.end(), ' ', ',');
  struct Case {
    const char* name;
    std::string table;
    std::size_t row;  // the length of a row of the file
  };
  const Case kCases[] = {
      {"zones.txt", "W T B Z" + names + "\nW1 1 2 A" + ones + "\n",
       4 * std::size_t{kColumns}},
      {"zones.csv", "W,T,B,Z" + csv_names + "\nW1,1,2,A" + empties + "\n",
       10 * std::size_t{kColumns}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.Write(c.name, c.table);
    const std::size_t longest = names.size() + 8;
    const std::size_t limit_kb = (8 * longest + 2 * c.row) / 1024 + 16384;
    const ProgramResult result =
        RunWithLimits(dir, {c.name}, "ulimit -v " + std::to_string(limit_kb));
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_TRUE(dir.Exists("W1.las"));
  }
}

// Wells whose lines take turns convert under the same limit on address
// space as the same lines grouped.
TEST(BadInput, WellsTakingTurnsNeedNoMoreAddressSpace) {
  if (kSanitized || ProgramIsWindows())
    GTEST_SKIP() << "no address-space limit here";
  ScratchDir apart, together;
  WriteWellsTakingTurns(300, 8, 10, apart, together);
  ASSERT_EQ(0,
            RunWithLimits(together, {"zones.txt"}, "ulimit -v 30000").status);
  const ProgramResult result =
      RunWithLimits(apart, {"zones.txt"}, "ulimit -v 30000");
  EXPECT_EQ(0, result.status) << result.err;
  EXPECT_EQ(together.List(), apart.List());
  EXPECT_TRUE(together.Read("W7.las") == apart.Read("W7.las"));
}

// Under a file-size limit, with SIGXFSZ as the system leaves it (it would
// end the process), the well that outgrows the limit is reported as for a
// full disk and the others are published.
TEST(BadInput, FileSizeLimitIsAFullDisk) {
  ScratchDir dir;
  dir.Write("zones.txt",
            std::string(kHeader) + "W1 0 2000 A 1\nW2 1 1.2 D 4\n");
  const ProgramResult result =
      RunWithLimits(dir, {"zones.txt", "0.001"}, "ulimit -f 256");
  EXPECT_EQ(1, result.status);
  EXPECT_EQ("zone2las: W1.las: cannot write: File too large\n", result.err);
  EXPECT_THAT(dir.List(), ElementsAre("W2.las", "zones.txt"));
  ScratchDir clean;
  clean.Write("zones.txt", std::string(kHeader) + "W2 1 1.2 D 4\n");
  ASSERT_EQ(0, RunProgram(clean, {"zones.txt", "0.001"}).status);
  EXPECT_TRUE(clean.Read("W2.las") == dir.Read("W2.las"));
}

// Starts the program in |dir| on |table_name| without waiting for it;
// standard output and error go nowhere.
pid_t StartProgram(const ScratchDir& dir, const std::string& table_name,
                   const std::string& step = "") {
  const std::string command =
      "cd " + ShellQuote(dir.path().string()) + " && exec " + ProgramCommand() +
      " " + ShellQuote(table_name) +
      (step.empty() ? "" : " " + ShellQuote(step)) + " >/dev/null 2>&1";
  const pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// The peak resident memory, in KiB, of the program run in |dir| on
// |table_name|; -1 when it did not end with status 0.
long PeakMemoryKib(const ScratchDir& dir, const std::string& table_name) {
  const pid_t pid = StartProgram(dir, table_name);
  int raw = 0;
  struct rusage usage {};
  if (wait4(pid, &raw, 0, &usage) != pid || !WIFEXITED(raw) ||
      WEXITSTATUS(raw) != 0)
    return -1;
  return usage.ru_maxrss;
}

// Wells whose lines take turns (a table sorted by formation) keep their
// lines, not their rows, until their turn: 200 wells of 30 intervals of
// 20 m, about 240 KB of rows each, need no more memory taking turns than
// grouped, give or take a few megabytes.
TEST(BadInput, WellsTakingTurnsKeepTheirLinesNotTheirRows) {
  if (kSanitized) GTEST_SKIP() << "the sanitizers' own memory would count";
  ScratchDir apart, together;
  WriteWellsTakingTurns(200, 30, 20, apart, together);
  const long grouped_kib = PeakMemoryKib(together, "zones.txt");
  const long interleaved_kib = PeakMemoryKib(apart, "zones.txt");
  ASSERT_GT(grouped_kib, 0);
  ASSERT_GT(interleaved_kib, 0);
  EXPECT_LE(interleaved_kib, grouped_kib + 4096)
      << "grouped " << grouped_kib << " KiB";
  EXPECT_TRUE(together.Read("W7.las") == apart.Read("W7.las"));
}

// Opens the FIFO for writing once the program has opened it for reading.
int OpenFifoWriter(const fs::path& fifo) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) {
      // Blocking from here on: the program reads at its own pace.
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      return fd;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return -1;
}

// The partial directories in |dir| that hold a file named |well_file|.
std::vector<std::string> PartialsHolding(const ScratchDir& dir,
                                         const std::string& well_file) {
  std::vector<std::string> found;
  for (const std::string& name : dir.List()) {
    if (name.rfind("zone2las-partial-", 0) == 0 &&
        fs::exists(dir / name / well_file))
      found.push_back(name);
  }
  return found;
}

// A run is killed while a well is in progress: the table comes through a
// FIFO that is left open, so the program waits for more lines exactly when
// the test has seen its file in progress. Nothing is published before the
// whole table has been read, so every earlier file stays as it was.
TEST(BadInput, KilledRunLeavesEarlierFilesWhole) {
  struct Case {
    const char* name;
    std::string lines;      // after the header
    std::string last_well;  // the file in progress when the run is killed
    std::vector<std::string> in_progress;
  } cases[] = {
      // A table that cannot be read twice (this FIFO) keeps its copy there
      // too, for wells whose lines go upward.
      {"first well",
       "W1 10 10.2 A 1\nW1 10.2 10.4 B 2\n",
       "W1.las",
       {"W1.las", "table"}},
      {"continued well",
       "W1 10 10.2 A 1\nW2 1 1.2 D 4\nW1 10.2 10.4 B 2\n",
       "W2.las",
       {"W1.las", "W2.las", "table"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.Write("W1.las", "earlier W1\n");
    ASSERT_EQ(0, mkfifo((dir / "zones.txt").c_str(), 0600));
    const pid_t pid = StartProgram(dir, "zones.txt");
    ASSERT_GT(pid, 0);
    const int fifo = OpenFifoWriter(dir / "zones.txt");
    ASSERT_GE(fifo, 0) << "the program never opened the table";
    const std::string table = kHeader + c.lines;
    ASSERT_EQ(static_cast<ssize_t>(table.size()),
              write(fifo, table.data(), table.size()));

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (PartialsHolding(dir, c.last_well).empty() &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // The last line's rows go out once the program reads on.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(pid, SIGKILL);
    int raw = 0;
    waitpid(pid, &raw, 0);
    close(fifo);
    EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == SIGKILL)
        << "the program ended before it was killed";

    const std::vector<std::string> partials = PartialsHolding(dir, "W1.las");
    ASSERT_EQ(1u, partials.size());
    EXPECT_THAT(partials[0], MatchesRegex(kPartialPattern));
    std::vector<std::string> in_partial;
    for (const auto& entry : fs::directory_iterator(dir / partials[0]))
      in_partial.push_back(entry.path().filename().string());
    std::sort(in_partial.begin(), in_partial.end());
    EXPECT_EQ(c.in_progress, in_partial);
    EXPECT_EQ("earlier W1\n", dir.Read("W1.las"));
    EXPECT_THAT(dir.List(), ElementsAre("W1.las", partials[0], "zones.txt"));
  }
}

// Feeds |table| to a run through a FIFO, |pause| lines at a time: the
// program waits for more lines exactly while the test acts between them.
class FifoRun {
 public:
  explicit FifoRun(const ScratchDir& dir, const std::string& step = "")
      : dir_(dir) {
    EXPECT_EQ(0, mkfifo((dir / "zones.txt").c_str(), 0600));
    pid_ = StartProgram(dir, "zones.txt", step);
    fifo_ = OpenFifoWriter(dir / "zones.txt");
    EXPECT_GE(fifo_, 0) << "the program never opened the table";
  }
  ~FifoRun() {
    if (fifo_ >= 0) close(fifo_);
    if (pid_ > 0) Wait();
  }

  void Send(const std::string& lines) {
    ASSERT_EQ(static_cast<ssize_t>(lines.size()),
              write(fifo_, lines.data(), lines.size()));
  }
  // Waits until the run's private directory holds |well_file|, and a little
  // more for its rows to go out.
  void AwaitFileInProgress(const std::string& well_file) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (PartialsHolding(dir_, well_file).empty() &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  void Signal(int signal) { kill(pid_, signal); }
  // Ends the table: the run goes on to put its files in place.
  void EndTable() {
    if (fifo_ >= 0) close(fifo_);
    fifo_ = -1;
  }
  // Closes the table and gives the exit status, 128 + N after signal N.
  int Wait() {
    if (fifo_ >= 0) close(fifo_);
    fifo_ = -1;
    int raw = 0;
    waitpid(pid_, &raw, 0);
    pid_ = -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  }

 private:
  const ScratchDir& dir_;
  pid_t pid_ = -1;
  int fifo_ = -1;
};

// A stop signal removes what is in progress and the private directory, and
// ends the run with 128 + the signal's number; earlier files stay whole.
TEST(BadInput, StopSignalsLeaveNothingBehind) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal));
    ScratchDir dir;
    dir.Write("W1.las", "earlier W1\n");
    FifoRun run(dir);
    run.Send(std::string(kHeader) + "W1 10 10.2 A 1\nW2 1 1.2 D 4\n");
    run.AwaitFileInProgress("W2.las");
    run.Signal(signal);
    EXPECT_EQ(128 + signal, run.Wait());
    EXPECT_THAT(dir.List(), ElementsAre("W1.las", "zones.txt"));
    EXPECT_EQ("earlier W1\n", dir.Read("W1.las"));
  }
}

// A stop signal while the run waits for the header (a FIFO, a slow pipe)
// stops it as cleanly as at any other line, and within a block of rows
// inside one long interval: a hundred million rows are not all made first.
TEST(BadInput, StopSignalsActAtOnce) {
  {
    ScratchDir dir;
    FifoRun run(dir);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    run.Signal(SIGINT);
    EXPECT_EQ(128 + SIGINT, run.Wait());
    EXPECT_THAT(dir.List(), ElementsAre("zones.txt"));
  }
  ScratchDir dir;
  FifoRun run(dir, "0.001");
  run.Send(std::string(kHeader) + "W1 0 100000 A 1\n");
  run.AwaitFileInProgress("W1.las");
  const auto start = std::chrono::steady_clock::now();
  run.Signal(SIGINT);
  EXPECT_EQ(128 + SIGINT, run.Wait());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_THAT(dir.List(), ElementsAre("zones.txt"));
}

// 700 wells in 700 folders under the usual soft limit of 1,024, which the
// run raises to the hard limit (see also the test below, under a low hard
// limit).
TEST(BadInput, WellsInManyFoldersNeedNoMoreThanTheHardLimit) {
  struct rlimit limit;
  if (ProgramIsWindows() || getrlimit(RLIMIT_NOFILE, &limit) != 0 ||
      limit.rlim_max < 4096)
    GTEST_SKIP() << "no hard limit above the folders' needs";
  ScratchDir dir;
  std::string table = kHeader;
  for (int i = 0; i < 700; ++i) {
    fs::create_directory(dir / ("f" + std::to_string(i)));
    table += "f" + std::to_string(i) + "/W 1 1.2 A 1\n";
  }
  dir.Write("zones.txt", table);
  const ProgramResult result =
      RunWithLimits(dir, {"zones.txt"}, "ulimit -Sn 1024");
  EXPECT_EQ(0, result.status) << result.err.substr(0, 500);
  EXPECT_TRUE(dir.Exists("f699/W.las"));
}

// The names in |folder|, sorted.
std::vector<std::string> NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A run holds only the few folders it used last and reopens the others when
// it needs them: 700 wells in 700 folders, each coming back after all the
// others, convert under a hard limit on open files far below what holding
// every folder would take, byte for byte as without the limit.
TEST(BadInput, WellsInManyFoldersConvertUnderALowHardLimit) {
  if (ProgramIsWindows()) GTEST_SKIP() << "no limit on open files to set";
  constexpr int kFolders = 700;
  std::string table = kHeader;
  for (const char* line : {" 1 1.2 A 1\n", " 1.2 1.4 B 2\n"}) {
    for (int i = 0; i < kFolders; ++i)
      table += "f" + std::to_string(i) + "/W" + line;
  }
  ScratchDir reference;
  for (int i = 0; i < kFolders; ++i)
    fs::create_directory(reference / ("f" + std::to_string(i)));
  reference.Write("zones.txt", table);
  ASSERT_EQ(0, RunProgram(reference, {"zones.txt"}).status);
  // Hard and soft limits alike: the run cannot raise them.
  for (const char* limits : {"ulimit -n 256", "ulimit -n 40"}) {
    SCOPED_TRACE(limits);
    ScratchDir dir;
    for (int i = 0; i < kFolders; ++i)
      fs::create_directory(dir / ("f" + std::to_string(i)));
    dir.Write("zones.txt", table);
    const ProgramResult result = RunWithLimits(dir, {"zones.txt"}, limits);
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("", result.err.substr(0, 500));
    for (int i = 0; i < kFolders; ++i) {
      const std::string folder = "f" + std::to_string(i);
      ASSERT_THAT(NamesIn(dir / folder), ElementsAre("W.las")) << folder;
      ASSERT_TRUE(reference.Read(folder + "/W.las") ==
                  dir.Read(folder + "/W.las"))
          << folder << "/W.las differs";
    }
  }
}

// Runs that publish into one folder take turns: while another run holds the
// folder's lock a run says that it waits and publishes nothing, then
// publishes once the lock is free; a stop signal ends the wait cleanly.
TEST(BadInput, RunsPublishingInOneFolderTakeTurns) {
  if (ProgramIsWindows()) GTEST_SKIP() << "the lock of a POSIX run";
  for (const bool stopped : {false, true}) {
    SCOPED_TRACE(stopped ? "stopped while waiting" : "lock freed");
    ScratchDir dir;
    dir.Write("zones.txt", std::string(kHeader) + "W1 10 10.2 A 1\n");
    // Another run's lock on the folder.
    const int other =
        open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(0, flock(other, LOCK_EX));
    const std::string err_path = dir.path().string() + ".err";
    const std::string command = "cd " + ShellQuote(dir.path().string()) +
                                " && exec " + ProgramCommand() +
                                " zones.txt 2>" + ShellQuote(err_path);
    const pid_t pid = fork();
    if (pid == 0) {
      execl("/bin/sh", "sh", "-c", command.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    const std::string waiting =
        "zone2las: waiting for another run publishing in .\n";
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string err;
    while (err != waiting && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      err = ReadWholeFile(err_path);
    }
    EXPECT_EQ(waiting, err);
    EXPECT_FALSE(dir.Exists("W1.las"));
    if (stopped) kill(pid, SIGINT);
    close(other);
    int raw = 0;
    waitpid(pid, &raw, 0);
    std::remove(err_path.c_str());
    if (stopped) {
      EXPECT_EQ(128 + SIGINT, WIFEXITED(raw) ? WEXITSTATUS(raw) : -1);
      EXPECT_THAT(dir.List(), ElementsAre("zones.txt"));
    } else {
      EXPECT_EQ(0, WIFEXITED(raw) ? WEXITSTATUS(raw) : -1);
      EXPECT_THAT(dir.List(), ElementsAre("W1.las", "zones.txt"));
    }
  }
}

// A stop signal that comes while the files are being put in place, twice
// over, waits until every file of the run is there: none is left behind in
// the private directory, none keeps its old content.
TEST(BadInput, StopSignalsWaitForEveryFileToBePublished) {
  ScratchDir dir;
  dir.Write("W3.las", "earlier W3\n");
  setenv("ZONE2LAS_TEST_PAUSE_BETWEEN_RENAMES_MS", "200", 1);
  FifoRun run(dir);
  unsetenv("ZONE2LAS_TEST_PAUSE_BETWEEN_RENAMES_MS");
  const std::string table =
      std::string(kHeader) + "W1 10 10.2 A 1\nW2 1 1.2 D 4\nW3 5 5.3 C 3\n";
  run.Send(table);
  run.EndTable();
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!dir.Exists("W1.las") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  run.Signal(SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  run.Signal(SIGINT);
  EXPECT_EQ(128 + SIGINT, run.Wait());
  EXPECT_THAT(dir.List(),
              ElementsAre("W1.las", "W2.las", "W3.las", "zones.txt"));
  ExpectFilesOf(table, dir);
}

// Another user swaps the run's private directory for one of the same name
// holding a link to a file of the runner's: the run goes on in the directory
// it made and holds, and the link's target is never written.
TEST(BadInput, ASwappedPrivateDirectoryRedirectsNoWrite) {
  ScratchDir dir;
  dir.Write("secret.txt", "secret\n");
  {
    FifoRun run(dir);
    run.Send(std::string(kHeader) + "W1 10 10.2 A 1\nW2 1 1.2 D 4\n");
    run.AwaitFileInProgress("W2.las");
    const std::string partial = PartialsHolding(dir, "W2.las").at(0);
    fs::rename(dir / partial, dir / "moved");
    fs::create_directory(dir / partial);
    fs::create_symlink("../secret.txt", dir / partial / "W3.las");
    run.Send("W3 5 5.3 C 3\n");
    EXPECT_EQ(0, run.Wait());
  }
  EXPECT_EQ("secret\n", dir.Read("secret.txt"));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "W3.las")));
  ExpectFilesOf(
      std::string(kHeader) + "W1 10 10.2 A 1\nW2 1 1.2 D 4\nW3 5 5.3 C 3\n",
      dir);
}

// A folder that the run has let go of is reopened only if it is still the
// folder first found: one swapped for a link meanwhile takes no write, even
// where the link leads inside the working directory; the wells of the other
// folders are published.
TEST(BadInput, ASwappedFolderRedirectsNoWrite) {
  if (ProgramIsWindows()) GTEST_SKIP() << "a run on Windows holds every folder";
  constexpr int kFolders = 40;
  ScratchDir dir;
  fs::create_directory(dir / "elsewhere");
  std::string lines = kHeader;
  for (int i = 0; i < kFolders; ++i) {
    fs::create_directory(dir / ("f" + std::to_string(i)));
    lines += "f" + std::to_string(i) + "/W 1 1.2 A 1\n";
  }
  // The last folder's well in progress: the first folder, used before
  // every other, has been let go of.
  const auto last_in_progress = [&dir] {
    for (const auto& entry : fs::directory_iterator(dir / "f39")) {
      if (fs::exists(entry.path() / "W.las")) return true;
    }
    return false;
  };
  {
    FifoRun run(dir);
    run.Send(lines);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!last_in_progress() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    fs::rename(dir / "f0", dir / "moved");
    fs::create_directory_symlink("elsewhere", dir / "f0");
    run.Send("f0/W 1.2 1.4 B 2\n");
    EXPECT_EQ(1, run.Wait());
  }
  EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));
  EXPECT_FALSE(dir.Exists("moved/W.las"));
  for (int i = 1; i < kFolders; ++i)
    EXPECT_TRUE(dir.Exists("f" + std::to_string(i) + "/W.las")) << i;
}

// Two runs in one folder: each well's file stays the run's own until its
// table has been read, so a well that comes back never continues the file
// that another run published meanwhile.
TEST(BadInput, TwoRunsInOneFolderKeepTheirWellsApart) {
  ScratchDir dir;
  ScratchDir other;
  {
    FifoRun run(dir);
    run.Send(std::string(kHeader) + "W1 10 10.2 A 1\nW2 1 1.2 D 4\n");
    run.AwaitFileInProgress("W2.las");
    other.Write("zones.txt", std::string(kHeader) + "W1 500 500.3 X 7\n");
    ASSERT_EQ(
        0, RunProgram(other, {"../" + dir.path().filename().string() + "/../" +
                              other.path().filename().string() + "/zones.txt"})
               .status);
    fs::copy_file(other / "W1.las", dir / "W1.las");
    run.Send("W1 10.2 10.4 B 2\n");
    EXPECT_EQ(0, run.Wait());
  }
  ExpectFilesOf(
      std::string(kHeader) + "W1 10 10.2 A 1\nW1 10.2 10.4 B 2\nW2 1 1.2 D 4\n",
      dir);
}

// Links lead nowhere the names would not: a linked folder that leaves the
// working directory is refused, and so is a well whose file is the table
// reached through a link.
TEST(BadInput, LinksAreJudgedByWhereTheyLead) {
  ScratchDir dir;
  fs::create_directory(dir / "inside");
  fs::create_directory(dir / "outside");
  fs::create_directory_symlink("../outside", dir / "inside" / "field");
  dir.Write("inside/W2.las", std::string(kHeader) + "W2 1 1.2 D 4\n");
  fs::create_symlink("W2.las", dir / "inside" / "zones.txt");
  const std::string table = std::string(kHeader) +
                            "field/W1 10 10.3 A 1\nW2 1 1.2 D 4\n"
                            "W3 5 5.2 C 3\n";
  dir.Write("inside/W2.las", table);
  const ProgramResult result = RunProgram(dir, {"zones.txt"}, "cd inside");
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(
      "zone2las: zones.txt:2: well \"field/W1\" would place its file outside "
      "the working directory; its lines are skipped\n"
      "zone2las: zones.txt:3: well \"W2\" would replace the zone table; its "
      "lines are skipped\n",
      result.err);
  EXPECT_EQ(table, dir.Read("inside/W2.las"));
  EXPECT_TRUE(fs::is_empty(dir / "outside"));
  EXPECT_TRUE(dir.Exists("inside/W3.las"));
}

// Started with standard output and error closed, the program must not let
// a LAS file take their numbers: its messages go nowhere, never into a file.
TEST(BadInput, ClosedStandardStreamsDoNotReachTheFiles) {
  ScratchDir dir;
  dir.Write("zones.txt", std::string(kHeader) + "W1 10 10.2 A 1\nW1 x 1 B 2\n");
  const ProgramResult result =
      RunWithLimits(dir, {"zones.txt"}, "exec >&- 2>&-");
  EXPECT_EQ(1, result.status);
  ExpectFilesOf(std::string(kHeader) + "W1 10 10.2 A 1\n", dir);
}

// A reader that goes away does not stop the run: the later wells are still
// written and the status still tells of the refused lines.
TEST(BadInput, AClosedPipeDoesNotEndTheRun) {
  ScratchDir dir;
  std::string table = kHeader;
  for (int i = 0; i < 5000; ++i) table += "W1 x 1 A 1\n";
  table += "W2 1 1.2 D 4\n";
  dir.Write("zones.txt", table);
  const std::string command = "cd " + ShellQuote(dir.path().string()) +
                              " && { " + ProgramCommand() +
                              " zones.txt 2>&1; echo $? >status; } | head -c 1"
                              " >/dev/null";
  ASSERT_EQ(0, std::system(command.c_str()));
  EXPECT_EQ("1\n", dir.Read("status"));
  ExpectFilesOf(std::string(kHeader) + "W2 1 1.2 D 4\n", dir);
}

// Memory that runs out is reported with its line, and nothing of the run is
// left behind.
TEST(BadInput, OutOfMemoryIsReportedAndLeavesNothing) {
  if (kSanitized)
    GTEST_SKIP() << "a sanitizer's runtime needs more address space";
  ScratchDir dir;
  dir.Write("zones.txt", std::string(kHeader) + "W1 10 10.2 A " +
                             std::string(40 << 20, 'v') + "\nW2 1 1.2 D 4\n");
  const ProgramResult result =
      RunWithLimits(dir, {"zones.txt"}, "ulimit -v 120000");
  EXPECT_EQ(1, result.status);
  EXPECT_THAT(result.err, HasSubstr("out of memory"));
  for (const std::string& name : dir.List())
    EXPECT_THAT(name,
                ::testing::Not(::testing::StartsWith("zone2las-partial")));
  EXPECT_FALSE(dir.Exists("W1.las"));
}

// The working directory may lie deeper than any Windows path: the system's
// own limit applies. One that was removed is reported as such.
TEST(BadInput, WorkingDirectoriesDeepOrGone) {
  ScratchDir dir;
  fs::path deep = dir.path();
  for (int i = 0; i < 8; ++i) deep /= std::string(60, 'd');
  fs::create_directories(deep);
  const std::string table = std::string(kHeader) + "W1 10 10.2 A 1\n";
  {
    std::FILE* out = std::fopen((deep / "zones.txt").c_str(), "wb");
    ASSERT_NE(nullptr, out);
    std::fputs(table.c_str(), out);
    std::fclose(out);
  }
  const std::string run_deep = "cd " + ShellQuote(deep.string()) + " && " +
                               ProgramCommand() + " zones.txt";
  EXPECT_EQ(0, std::system(run_deep.c_str()));
  EXPECT_TRUE(fs::exists(deep / "W1.las"));

  fs::create_directory(dir / "gone");
  dir.Write("zones.txt", table);
  const ProgramResult result =
      RunWithLimits(dir, {"../zones.txt"}, "cd gone && rmdir ../gone");
  EXPECT_EQ(1, result.status);
  EXPECT_EQ(
      "zone2las: ../zones.txt: cannot resolve the name to a full path: "
      "the working directory no longer exists\n",
      result.err);
}

#endif  // _WIN32

}  // namespace
