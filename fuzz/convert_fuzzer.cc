// The whole conversion on arbitrary bytes. The input's first line is the
// step argument (left out when that line is empty), the rest is the zone
// table; the program runs in-process in a scratch directory that is emptied
// after every input.
//
// Besides the sanitizers' findings, a run is a fault when it ends with a
// status the program does not have, leaves a file in progress behind, leaves
// a LAS file that is not whole, changes the table, or leaves a descriptor
// open.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "convert/converter.h"

namespace fs = std::filesystem;

namespace {

// Inputs that would make more rows or bytes than this are left out: they are
// legitimate (a 2,000 km interval at 0.1 m), but the fuzzer needs each run to
// take milliseconds.
constexpr double kMaxRows = 5000.0;
constexpr double kMaxBytes = 2.0 * 1024 * 1024;
// Every row is at most this many bytes beside the line's own text and the
// null cells: depth, zone separators, DEFINTERV and the line feed.
constexpr double kRowOverhead = 64.0;
constexpr double kHeaderOverhead = 512.0;
constexpr double kLeadIn = 2.0;
constexpr double kEndRowOffset = 0.01;
constexpr const char kTableName[] = "zones.txt";
constexpr const char kPartialPrefix[] = "zone2las-partial-";

std::string scratch;  // the directory a run happens in
std::string home;     // the directory the fuzzer works in
std::FILE* null_stream = nullptr;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "convert_fuzzer: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

bool IsDelimiter(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::vector<std::string> Tokens(const std::string& line) {
  std::vector<std::string> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsDelimiter(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsDelimiter(line[i])) ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

// The form the program accepts for a depth: a sign, digits, one point.
bool IsDecimal(const std::string& text) {
  std::size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
  int digits = 0;
  int points = 0;
  for (; i < text.size(); ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      ++digits;
    } else if (text[i] == '.' && points == 0) {
      ++points;
    } else {
      return false;
    }
  }
  return digits > 0;
}

std::string FoldCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// An over-estimate of the work a table makes: every data line is taken to
// start a well (lead-in and header) and to bridge from the bottom of the line
// before, whichever well that was; by the triangle inequality this is at
// least the path that each well's own lines take. Every change of well may
// copy everything written so far.
bool WithinBounds(const std::string& step_text, const std::string& table) {
  const char* step_begin = step_text.c_str();
  char* step_end = nullptr;
  const double step = std::strtod(step_begin, &step_end);
  if (step_text.empty()) {
    // Left out: the program's default.
  } else if (step_end == step_begin || *step_end != '\0' ||
             !std::isfinite(step) || !(step > 0.0)) {
    return true;  // refused before the table is opened
  }
  const double depth_step = step_text.empty() ? 0.1 : step;

  double rows = 0.0;
  double bytes = 0.0;
  double copies = 0.0;
  double header_tokens = -1.0;
  double previous_bottom = 0.0;
  std::string previous_well;
  std::size_t start = 0;
  while (start < table.size()) {
    std::size_t end = table.find('\n', start);
    if (end == std::string::npos) end = table.size();
    const std::string line = table.substr(start, end - start);
    start = end + 1;
    if (line.find('\0') != std::string::npos) continue;  // refused
    const std::vector<std::string> tokens = Tokens(line);
    if (tokens.empty()) continue;
    if (header_tokens < 0.0) {
      header_tokens = static_cast<double>(tokens.size());
      continue;
    }
    if (tokens.size() < 3 || !IsDecimal(tokens[1]) || !IsDecimal(tokens[2]))
      continue;
    const double top = std::strtod(tokens[1].c_str(), nullptr);
    const double bottom = std::strtod(tokens[2].c_str(), nullptr);
    if (!std::isfinite(top) || !std::isfinite(bottom)) continue;
    const double path = kLeadIn + std::fabs(top - previous_bottom) +
                        std::fabs(bottom - top) + 4.0 * kEndRowOffset;
    const double line_rows = path / depth_step + 8.0;
    rows += line_rows;
    bytes += kHeaderOverhead + 16.0 * header_tokens +
             line_rows * (static_cast<double>(line.size()) +
                          9.0 * header_tokens + kRowOverhead);
    const std::string well = FoldCase(tokens[0]);
    if (well != previous_well) copies += bytes;
    previous_well = well;
    previous_bottom = bottom;
    if (!(rows <= kMaxRows) || !(bytes + copies <= kMaxBytes)) return false;
  }
  return true;
}

void MakeScratch() {
  std::error_code error;
  fs::remove_all(scratch, error);
  if (!fs::create_directory(scratch, error) ||
      !fs::create_directory(scratch + "/sub", error)) {
    Fail("cannot make the scratch directory " + scratch + ": " +
         error.message());
  }
}

std::string ReadFile(const fs::path& path) {
  std::string content;
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) Fail("cannot read " + path.string());
  char chunk[1 << 16];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
    content.append(chunk, got);
  std::fclose(in);
  return content;
}

// The depth of every row, as printed with six decimals, lies below the row
// before it: LAS readers need an index that strictly increases.
void CheckDepthsIncrease(const std::string& las, const std::string& name) {
  std::size_t at = las.find("\n~Ascii\n") + 8;
  bool first = true;
  long long previous = 0;
  while (at < las.size()) {
    long long millionths = 0;
    const bool negative = las[at] == '-';
    std::size_t i = at + (negative ? 1 : 0);
    for (; i < las.size() && las[i] != ' '; ++i) {
      if (las[i] != '.') millionths = millionths * 10 + (las[i] - '0');
    }
    if (negative) millionths = -millionths;
    if (!first && millionths <= previous)
      Fail("a row does not lie below the row before it in " + name + ": " +
           las.substr(at, i - at));
    first = false;
    previous = millionths;
    at = las.find('\n', at) + 1;
  }
}

// What a finished run may leave: the table, the sub directory and whole LAS
// files, in the scratch directory and in sub/.
void CheckLeftovers(const std::string& table) {
  std::error_code error;
  for (fs::recursive_directory_iterator it(scratch, error), end;
       !error && it != end; it.increment(error)) {
    const fs::path& path = it->path();
    const std::string name = path.filename().string();
    if (it->is_directory()) {
      // A well may be named like anything, but only the program makes
      // directories.
      if (name.rfind(kPartialPrefix, 0) == 0)
        Fail("a file in progress was left behind: " + path.string());
      continue;
    }
    if (path == fs::path(scratch) / kTableName) {
      if (ReadFile(path) != table) Fail("the table was changed");
      continue;
    }
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".las") != 0)
      Fail("unexpected file " + path.string());
    const std::string las = ReadFile(path);
    if (las.rfind("~Version\n", 0) != 0 ||
        las.find("\n~Ascii\n") == std::string::npos || las.back() != '\n')
      Fail("a LAS file is not whole: " + path.string());
    CheckDepthsIncrease(las, path.string());
  }
  if (error) Fail("cannot list the scratch directory: " + error.message());
}

// The descriptors the process holds open.
int OpenDescriptors() {
  std::error_code error;
  int count = 0;
  for (fs::directory_iterator it("/proc/self/fd", error), end;
       !error && it != end; it.increment(error))
    ++count;
  return count;
}

void RemoveScratch() {
  std::error_code ignored;
  if (!scratch.empty()) fs::remove_all(scratch, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char cwd[4096];
  if (::getcwd(cwd, sizeof cwd) == nullptr) Fail("cannot tell the directory");
  home = cwd;
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern =
      std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") +
      "/zone2las-fuzz-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a directory");
  scratch = pattern;
  std::atexit(RemoveScratch);
  if (std::getenv("ZONE2LAS_FUZZ_VERBOSE") == nullptr)
    null_stream = std::fopen("/dev/null", "w");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t first_line_end = input.find('\n');
  std::string step_text;
  std::string table = input;
  if (first_line_end != std::string::npos) {
    step_text = input.substr(0, first_line_end);
    table = input.substr(first_line_end + 1);
  }
  // An argument ends at its first NUL byte, as on a real command line.
  step_text = step_text.c_str();
  if (!WithinBounds(step_text, table)) return -1;

  MakeScratch();
  {
    std::FILE* out = std::fopen((scratch + "/" + kTableName).c_str(), "wb");
    if (out == nullptr ||
        std::fwrite(table.data(), 1, table.size(), out) != table.size() ||
        std::fclose(out) != 0)
      Fail("cannot write the table");
  }

  std::string program = "zone2las";
  std::string table_name = kTableName;
  // The bounds above read the table as a whitespace table, so the program
  // must not take it for a delimited one; "--" keeps the first line a step
  // even when it reads like an option.
  std::string delimiter_option = "--delimiter=space";
  std::string end_of_options = "--";
  std::vector<char*> argv = {program.data(), delimiter_option.data(),
                             end_of_options.data(), table_name.data()};
  if (!step_text.empty()) argv.push_back(step_text.data());
  argv.push_back(nullptr);

  if (::chdir(scratch.c_str()) != 0) Fail("cannot enter " + scratch);
  std::FILE* saved_stdout = stdout;
  std::FILE* saved_stderr = stderr;
  // The program's messages go nowhere; the sanitizers write to the file
  // descriptor itself, so their reports still show.
  if (null_stream != nullptr) {
    stdout = null_stream;
    stderr = null_stream;
  }
  const int descriptors_before = OpenDescriptors();
  const int status =
      RunZone2Las(static_cast<int>(argv.size()) - 1, argv.data());
  const int descriptors_after = OpenDescriptors();
  std::fflush(stdout);
  stdout = saved_stdout;
  stderr = saved_stderr;
  if (::chdir(home.c_str()) != 0) Fail("cannot go back to " + home);

  if (status != kExitSuccess && status != kExitFailure && status != kExitUsage)
    Fail("exit status " + std::to_string(status));
  // A run that leaves a descriptor open would, run after run, leave a
  // long-lived caller without any.
  if (descriptors_after != descriptors_before)
    Fail("the run left " +
         std::to_string(descriptors_after - descriptors_before) +
         " descriptors open");
  CheckLeftovers(table);
  return 0;
}
