#include "convert/driver.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "convert/las_header.h"
#include "convert/resample.h"
#include "convert/well_state.h"
#include "io/disk_file.h"
#include "platform/platform.h"
#include "text/string.h"

namespace {

constexpr const char kProgram[] = "zone2las";
constexpr double kDefaultStep = 0.1;
// Depths are compared in whole millimetres, so a finer step cannot place its
// rows (and a typo such as 1e-9 would fill the disk).
constexpr double kMinStep = 0.001;
// The reader's buffer, terminator included: a line arrives in pieces of at
// most 2047 bytes.
constexpr int kPieceBufferSize = 2048;
// The longest line kept, far beyond any zone table's (ten thousand columns
// take a few hundred kilobytes). A longer one is read to its end but refused,
// so that a file without line feeds cannot take all memory.
constexpr std::size_t kMaxLineBytes = 64 << 20;
// Well, top, bottom and zone come before the attribute values.
constexpr int kFixedColumns = 4;
// Resampling derives depths up to the 2 m lead-in above a top and one step
// (plus the 0.01 m of an end row) beyond a bottom.
constexpr double kLeadIn = 2.0;
constexpr double kEndRowOffset = 0.01;
// A well in progress is written into a private directory of this name (and a
// unique ending) beside its final place.
constexpr const char kPartialPrefix[] = "zone2las-partial-";
constexpr std::size_t kOutputBufferBytes = 1 << 16;

void PrintUsage(std::FILE* out, const char* program) {
  std::fprintf(out, "Example: %s <gisfilename> [step=0.1]", program);
}

void PrintHelp(const char* program) {
  std::printf("Usage: %s <gisfilename> [step=0.1]\n", program);
  std::printf(
      "\n"
      "Converts a zone table into one LAS 2.0 file per well.\n"
      "\n"
      "  <gisfilename>  the zone table: a header line naming the columns (well,\n"
      "                 top, bottom, zone, then one name per attribute curve),\n"
      "                 then one depth interval per line\n"
      "  [step=0.1]     an optional number, 0.1 when left out: the depth step of\n"
      "                 the rows in metres, at least 0.001 (0.25, .5, 1e-1)\n"
      "\n"
      "Each well is written to <well>.las in the current directory; an existing\n"
      "file of that name is replaced once the well is complete. A run that goes\n"
      "well prints nothing.\n"
      "\n"
      "Exit status: 0 when every well was written whole, 1 when a line was\n"
      "refused or a file could not be written, 2 when the command line was\n"
      "refused.\n"
      "\n"
      "  -h, --help     show this text\n"
      "      --version  show the version\n");
}

// The step must be the whole argument, finite and at least kMinStep:
// anything else would stall, reverse or flood the resampling.
bool ParseStep(const char* text, double* step, std::string* err) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(value) || !(value > 0.0)) {
    *err = "is not a finite number greater than 0";
    return false;
  }
  if (value < kMinStep) {
    *err = "is below 0.001 m; depths are compared in whole millimetres";
    return false;
  }
  *step = value;
  return true;
}

// An optional sign, digits with at most one point, at least one digit.
bool IsDecimalNumber(const char* text) {
  if (*text == '+' || *text == '-')
    ++text;
  int digits = 0;
  int points = 0;
  for (; *text; ++text) {
    if (*text >= '0' && *text <= '9')
      ++digits;
    else if (*text == '.' && points == 0)
      ++points;
    else
      return false;
  }
  return digits > 0;
}

// True when |name| (a well token with ".las") would place its file inside the
// working directory: not absolute, no drive, and no ".." that climbs above it.
bool StaysInWorkingDirectory(const char* name) {
  if (name[0] == '/' || name[0] == '\\' || (name[0] && name[1] == ':'))
    return false;
  int depth = 0;
  const char* part = name;
  for (const char* p = name;; ++p) {
    if (*p == '/' || *p == '\\' || *p == '\0') {
      const std::size_t length = static_cast<std::size_t>(p - part);
      if (length == 2 && part[0] == '.' && part[1] == '.') {
        if (--depth < 0)
          return false;
      } else if (length > 0 && !(length == 1 && part[0] == '.')) {
        ++depth;
      }
      if (*p == '\0')
        break;
      part = p + 1;
    }
  }
  return true;
}

// The key under which a well is remembered: the full path of its file, so
// that names which reach one file ("W1", "./W1", "sub/../W1") are one well,
// as are names that differ only in the case of ASCII letters. Were they two,
// the second would replace the first one's file, and the first one's lines
// coming back would continue a file that is not its own.
std::string WellKey(const std::string& file_name) {
  char full_path[platform::kMaxPath];
  // A name too long to resolve is never written; its own text keeps it
  // apart, behind a byte that no resolved path holds.
  std::string key =
      platform::FullPath(full_path, file_name.c_str(), platform::kMaxPath)
          ? std::string(full_path)
          : "\n" + file_name;
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

std::string SystemReason(int error) {
  return error != 0 ? std::strerror(error) : "unknown error";
}

// What is kept of a finished well, so that its lines can continue the file
// when they come back after other wells.
struct FinishedWell {
  bool written = false;  // false: the well failed and its lines are skipped
  std::string file_name;  // as the user would write it, for messages
  std::string path;       // full path of the finished file
  long closing_row_offset = 0;
  long file_size = 0;
  // The well's state before its closing row, to go on from.
  WellState state;
  // The bottom of the well's last accepted line: a later line may not start
  // above it.
  bool has_bottom = false;
  double last_bottom = 0.0;
  std::string last_bottom_text;
};

class Converter {
 public:
  Converter(const char* table_name, double depth_step)
      : table_name_(table_name), depth_step_(depth_step) {}
  ~Converter();

  int Run();

 private:
  enum class ReadStatus { kLine, kEnd, kError };
  enum class WellMode { kNone, kWriting, kSkipping };

  ReadStatus ReadWholeLine();
  bool IsBlankLine() const;
  void Report(const char* format, ...);
  void ReportLine(const char* format, ...);
  void NoteLine(const char* format, ...);
  bool FollowsWellsLastLine(const String& well_token, bool same_well);
  bool RefuseUnreadableLine(const char* kind);
  bool CheckDataLine();
  void StartWell(const String& well_token);
  bool OpenWellFile(const std::string& final_name);
  bool ContinueWellFile(FinishedWell& finished);
  void FinishWell();
  void FailWell(FinishedWell& record, const std::string& reason);
  void DiscardWell();
  bool PartialDirectory(const std::string& folder, std::string* directory,
                        std::string* err);

  const char* table_name_;
  const double depth_step_;
  DiskFile input_;
  // The output stream's buffer: larger than the C library's default, so that
  // rows reach the file in few large writes. Declared before output_, so it
  // outlives the stream that uses it.
  std::vector<char> output_buffer_ = std::vector<char>(kOutputBufferBytes);
  DiskFile output_;
  String header_line_;
  String line_;
  String null_row_tail_;
  String current_well_name_;
  WellState well_;
  int attribute_count_ = 0;
  long line_number_ = 0;
  bool line_has_nul_ = false;
  bool line_too_long_ = false;
  std::string long_line_;
  bool failed_ = false;
  int allocation_failures_at_well_start_ = 0;
  // The depths of the line being converted.
  double line_top_ = 0.0;
  double line_bottom_ = 0.0;
  std::string line_top_text_;
  std::string line_bottom_text_;

  WellMode mode_ = WellMode::kNone;
  std::string well_key_;
  std::string well_file_name_;   // "<well>.las" as given
  std::string well_final_path_;  // its full path
  std::string well_temp_path_;   // the file in progress
  std::map<std::string, FinishedWell> wells_;
  // The record of the current well in wells_.
  FinishedWell* current_record_ = nullptr;
  // The private directory in which this run writes the wells of each folder
  // (by the folder's full path); removed when the run ends.
  std::map<std::string, std::string> partial_directories_;
};

Converter::~Converter() {
  if (mode_ == WellMode::kWriting)
    DiscardWell();
  for (const auto& folder : partial_directories_)
    platform::RemoveEmptyDirectory(folder.second.c_str());
}

// The run's private directory in |folder|, made on first use.
bool Converter::PartialDirectory(const std::string& folder,
                                 std::string* directory, std::string* err) {
  auto known = partial_directories_.find(folder);
  if (known != partial_directories_.end()) {
    *directory = known->second;
    return true;
  }
  if (!platform::MakeUniqueDirectory(folder + kPartialPrefix, directory, err))
    return false;
  partial_directories_[folder] = *directory;
  return true;
}

void Converter::Report(const char* format, ...) {
  std::fprintf(stderr, "%s: ", kProgram);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  failed_ = true;
}

void Converter::ReportLine(const char* format, ...) {
  std::fprintf(stderr, "%s: %s:%ld: ", kProgram, table_name_, line_number_);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  failed_ = true;
}

// A remark on the line that does not make the run fail.
void Converter::NoteLine(const char* format, ...) {
  std::fprintf(stderr, "%s: %s:%ld: note: ", kProgram, table_name_,
               line_number_);
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

// Refuses a line whose top lies above the bottom of its well's previous
// accepted line: an overlap, or a well that goes upward. The well is looked
// up before anything is finished or started.
bool Converter::FollowsWellsLastLine(const String& well_token,
                                     bool same_well) {
  const FinishedWell* record = current_record_;
  if (!same_well) {
    const auto known =
        wells_.find(WellKey(std::string(well_token.GetText()) + ".las"));
    record = known != wells_.end() ? &known->second : nullptr;
  }
  if (record == nullptr || !record->has_bottom ||
      DepthKey(line_top_) >= DepthKey(record->last_bottom))
    return true;
  ReportLine("top depth %s lies above the bottom depth %s of the previous "
             "line of well \"%s\"; sort the table by well and depth",
             line_top_text_.c_str(), record->last_bottom_text.c_str(),
             well_token.GetText());
  return false;
}

// Reads the next whole line into line_, joining the pieces of a line longer
// than the reader's buffer, so that no piece is taken for a line of its own.
Converter::ReadStatus Converter::ReadWholeLine() {
  char piece[kPieceBufferSize];
  bool joined = false;
  line_has_nul_ = false;
  line_too_long_ = false;
  for (;;) {
    std::memset(piece, '\n', sizeof piece);
    input_.ReadLine(piece, kPieceBufferSize);
    if (std::ferror(input_.GetStream())) {
      Report("%s: cannot read: %s", table_name_, SystemReason(errno).c_str());
      return ReadStatus::kError;
    }
    // The reader ends what it read with a terminator. With the buffer
    // pre-filled with non-zero bytes, the terminator is the last zero in it,
    // and any zero before it is a NUL byte of the data.
    std::size_t count = 0;
    const char* first_zero =
        static_cast<const char*>(std::memchr(piece, '\0', sizeof piece));
    if (first_zero) {
      const char* terminator = first_zero;
      const char* after = first_zero + 1;
      if (std::memchr(after, '\0',
                      static_cast<std::size_t>(piece + sizeof piece - after))) {
        // NUL bytes in the data: the terminator is the last zero, found from
        // the end, so that a piece of NULs costs one pass and not one search
        // per byte.
        terminator = piece + sizeof piece - 1;
        while (*terminator != '\0')
          --terminator;
        line_has_nul_ = true;
      }
      count = static_cast<std::size_t>(terminator - piece);
    }
    const bool ends_line =
        (count > 0 && piece[count - 1] == '\n') || input_.AtEnd();
    if (!joined && ends_line) {
      if (count == 0)
        return ReadStatus::kEnd;
      line_.Assign(piece);
      ++line_number_;
      return ReadStatus::kLine;
    }
    if (!joined) {
      long_line_.clear();
      joined = true;
    }
    if (long_line_.size() + count > kMaxLineBytes)
      line_too_long_ = true;
    // A line that will be refused is not kept.
    if (!line_has_nul_ && !line_too_long_)
      long_line_.append(piece, count);
    if (ends_line) {
      line_.Assign(long_line_.c_str());
      ++line_number_;
      return ReadStatus::kLine;
    }
  }
}

// A line of NUL bytes reads as the empty text but is not blank: it is
// refused, never skipped in silence. Nor is a line too long to be kept.
bool Converter::IsBlankLine() const {
  return !line_has_nul_ && !line_too_long_ && line_.IsBlank();
}

// Reports a line that holds a NUL byte or is too long to be kept; |kind| is
// "" or "header ". True when the line was refused.
bool Converter::RefuseUnreadableLine(const char* kind) {
  if (line_has_nul_) {
    ReportLine("%sline holds a NUL byte; is this a text file?", kind);
    return true;
  }
  if (line_too_long_) {
    ReportLine("%sline is longer than %zu MiB; is this a text file?", kind,
               kMaxLineBytes >> 20);
    return true;
  }
  return false;
}

// Refuses a data line that cannot be converted faithfully, before it can
// start a well. line_'s tokenizer stands after the well token and is left so.
bool Converter::CheckDataLine() {
  if (RefuseUnreadableLine(""))
    return false;
  const int expected = kFixedColumns + attribute_count_;
  const int found = line_.CountTokens(kWhiteSpace);
  if (found < expected) {
    ReportLine("expected %d fields (well, top, bottom, zone and %d values), "
               "found %d",
               expected, attribute_count_, found);
    return false;
  }
  String probe(line_);
  probe.NextToken(kWhiteSpace);
  const String top = probe.NextToken(kWhiteSpace);
  const String bottom = probe.NextToken(kWhiteSpace);
  if (!IsDecimalNumber(top.GetText())) {
    ReportLine("top depth \"%s\" is not a decimal number", top.GetText());
    return false;
  }
  if (!IsDecimalNumber(bottom.GetText())) {
    ReportLine("bottom depth \"%s\" is not a decimal number",
               bottom.GetText());
    return false;
  }
  const double top_depth = top.ToDouble();
  const double bottom_depth = bottom.ToDouble();
  // Hundreds of digits overflow the parser's digit sum and come out as
  // not-a-number, which every range comparison below would let through.
  if (std::isnan(top_depth) || std::isnan(bottom_depth)) {
    ReportLine("%s depth \"%s\" has too many digits to be read",
               std::isnan(top_depth) ? "top" : "bottom",
               std::isnan(top_depth) ? top.GetText() : bottom.GetText());
    return false;
  }
  const double shallowest =
      std::min(top_depth, bottom_depth) - kLeadIn - kEndRowOffset;
  const double deepest =
      std::max(top_depth, bottom_depth) + depth_step_ + kEndRowOffset;
  if (!DepthKeyFits(shallowest) || !DepthKeyFits(deepest)) {
    ReportLine("depths %s to %s with lead-in and step lie outside the "
               "handled range of -2147483.647 to 2147483.647 m",
               top.GetText(), bottom.GetText());
    return false;
  }
  if (DepthKey(bottom_depth) <= DepthKey(top_depth)) {
    ReportLine("bottom depth %s does not lie below top depth %s",
               bottom.GetText(), top.GetText());
    return false;
  }
  line_top_ = top_depth;
  line_bottom_ = bottom_depth;
  line_top_text_ = top.GetText();
  line_bottom_text_ = bottom.GetText();
  return true;
}

int Converter::Run() {
  input_.SetName(table_name_);
  if (IsBlankText(table_name_)) {
    Report("the zone table's name is blank");
    return kExitFailure;
  }
  if (input_.GetFullName().Length() == 0) {
    Report("%s: cannot resolve the name to a full path", table_name_);
    return kExitFailure;
  }
  errno = 0;
  if (!input_.OpenRead(false)) {
    Report("%s: cannot open: %s", table_name_, SystemReason(errno).c_str());
    return kExitFailure;
  }

  // The header line is the first line that is not blank.
  for (;;) {
    const ReadStatus status = ReadWholeLine();
    if (status == ReadStatus::kError)
      return kExitFailure;
    if (status == ReadStatus::kEnd) {
      Report("%s: no header line: the file is empty or blank", table_name_);
      return kExitFailure;
    }
    if (!IsBlankLine())
      break;
  }
  header_line_.Assign(line_);
  const int column_count = header_line_.CountTokens(kWhiteSpace);
  if (RefuseUnreadableLine("header "))
    return kExitFailure;
  if (column_count < kFixedColumns) {
    ReportLine("the header line names %d columns; it needs at least 4 "
               "(well, top, bottom, zone)",
               column_count);
    return kExitFailure;
  }
  attribute_count_ = column_count - kFixedColumns;

  // Every row outside an interval ends in this tail: DEFINTERV 0 and a NULL
  // in every attribute cell.
  String tail("0   ");
  for (int i = 0; i < attribute_count_; ++i)
    tail.Assign(tail.Concat(kNullText).Concat("  "));
  null_row_tail_.Assign(tail.Concat("\n"));

  bool any_data_line = false;
  for (;;) {
    const ReadStatus status = ReadWholeLine();
    if (status == ReadStatus::kError) {
      DiscardWell();
      return kExitFailure;
    }
    if (status == ReadStatus::kEnd)
      break;
    if (IsBlankLine())
      continue;
    any_data_line = true;
    const String well_token = line_.NextToken(kWhiteSpace);
    if (!CheckDataLine())
      continue;
    const bool same_well =
        mode_ != WellMode::kNone && well_token.Equals(current_well_name_);
    if (!FollowsWellsLastLine(well_token, same_well))
      continue;
    if (!same_well)
      StartWell(well_token);
    current_record_->has_bottom = true;
    current_record_->last_bottom = line_bottom_;
    current_record_->last_bottom_text = line_bottom_text_;
    if (mode_ == WellMode::kWriting &&
        !ResampleLine(line_, well_, output_, depth_step_, attribute_count_,
                      null_row_tail_)) {
      NoteLine("the interval %s to %s is too thin to carry a row of its own",
               line_top_text_.c_str(), line_bottom_text_.c_str());
    }
  }
  if (mode_ == WellMode::kWriting)
    FinishWell();
  if (!any_data_line)
    std::fprintf(stderr, "%s: %s: no data lines; no file written\n", kProgram,
                 table_name_);
  // A text that could not be stored is lost data, even between wells.
  if (platform::AllocationFailureCount() != 0)
    failed_ = true;
  return failed_ ? kExitFailure : kExitSuccess;
}

void Converter::StartWell(const String& well_token) {
  if (mode_ == WellMode::kWriting)
    FinishWell();
  current_well_name_.Assign(well_token);
  const std::string file_name = std::string(well_token.GetText()) + ".las";
  well_key_ = WellKey(file_name);
  well_.Reset();
  mode_ = WellMode::kSkipping;

  auto known = wells_.find(well_key_);
  if (known != wells_.end()) {
    current_record_ = &known->second;
    // The well's lines come back after other wells: its file goes on where
    // the earlier lines left it. A well that failed stays skipped; its
    // failure was reported when it happened.
    if (known->second.written && ContinueWellFile(known->second))
      mode_ = WellMode::kWriting;
    return;
  }

  FinishedWell& record = wells_[well_key_];
  current_record_ = &record;
  record.file_name = file_name;
  if (!StaysInWorkingDirectory(record.file_name.c_str())) {
    ReportLine("well \"%s\" would place its file outside the working "
               "directory; its lines are skipped",
               well_token.GetText());
    return;
  }
  if (!OpenWellFile(record.file_name))
    return;
  well_.strt_offset = WriteLasHeader(output_, header_line_, depth_step_);
  mode_ = WellMode::kWriting;
}

// Opens the well's file in a private directory beside its final place; it is
// moved there only once the well is complete, so that no half-written file
// ever carries the well's name.
bool Converter::OpenWellFile(const std::string& final_name) {
  well_file_name_ = final_name;
  allocation_failures_at_well_start_ = platform::AllocationFailureCount();
  output_.SetName(final_name.c_str());
  well_final_path_ = output_.GetFullName().GetText();
  if (well_final_path_.empty()) {
    ReportLine("cannot create %s: the name is too long", final_name.c_str());
    return false;
  }
  if (well_final_path_ == input_.GetFullName().GetText()) {
    ReportLine("well \"%s\" would replace the zone table; its lines are "
               "skipped",
               current_well_name_.GetText());
    return false;
  }
  const std::string base =
      std::string(output_.GetTitle().GetText()) + output_.GetExtension().GetText();
  const std::string folder = std::string(output_.GetDrive().GetText()) +
                             output_.GetDirectory().GetText();
  std::string directory;
  std::string err;
  if (!PartialDirectory(folder, &directory, &err)) {
    ReportLine("cannot create %s: %s", final_name.c_str(), err.c_str());
    return false;
  }
  well_temp_path_ = directory + "/" + base;
  output_.SetName(well_temp_path_.c_str());
  // The file in progress has a longer path than the finished one, and may
  // not resolve where the finished one would.
  const bool resolved = output_.GetFullName().Length() != 0;
  errno = 0;
  if (!resolved || !output_.OpenWrite(false)) {
    ReportLine("cannot create %s: %s", final_name.c_str(),
               resolved ? SystemReason(errno).c_str() : "the name is too long");
    well_temp_path_.clear();
    return false;
  }
  std::setvbuf(output_.GetStream(), output_buffer_.data(), _IOFBF,
               output_buffer_.size());
  well_temp_path_ = output_.GetFullName().GetText();
  return true;
}

// Copies the finished file without its closing row into a new file in
// progress, and restores the well's state, so that the well goes on exactly
// as if its lines had stood together.
bool Converter::ContinueWellFile(FinishedWell& finished) {
  if (!OpenWellFile(finished.file_name)) {
    finished.written = false;
    return false;
  }
  // Reports why the well cannot go on and drops the new file; the finished
  // file stays as it was, and the well's later lines are skipped.
  auto cannot_continue = [&](const std::string& reason) {
    ReportLine("cannot continue %s: %s", finished.file_name.c_str(),
               reason.c_str());
    DiscardWell();
    finished.written = false;
    return false;
  };
  DiskFile earlier;
  earlier.SetName(finished.path.c_str());
  errno = 0;
  if (!earlier.OpenRead(false))
    return cannot_continue(SystemReason(errno));
  // Another name may have reached the same file since (through a link, say).
  // A file of another size is not the one this well left, and going on from
  // it would mix two wells in one file.
  earlier.SeekEnd();
  if (std::ftell(earlier.GetStream()) != finished.file_size)
    return cannot_continue("the file has changed since its well was written");
  earlier.SeekStart();
  long remaining = finished.closing_row_offset;
  char chunk[1 << 16];
  while (remaining > 0) {
    const std::size_t want = static_cast<std::size_t>(
        std::min<long>(remaining, static_cast<long>(sizeof chunk)));
    const std::size_t got = std::fread(chunk, 1, want, earlier.GetStream());
    if (got != want || std::fwrite(chunk, 1, got, output_.GetStream()) != got)
      return cannot_continue(SystemReason(errno));
    remaining -= static_cast<long>(got);
  }
  well_ = finished.state;
  return true;
}

void Converter::FinishWell() {
  FinishedWell& record = wells_[well_key_];
  mode_ = WellMode::kNone;
  const long closing_row_offset = std::ftell(output_.GetStream());
  const double stop = WriteClosingRow(well_, output_);
  const long file_size = std::ftell(output_.GetStream());
  WriteDepthRange(output_, well_.strt_offset, well_.first_depth, stop);
  std::string err;
  if (!output_.Close(&err)) {
    FailWell(record, "cannot write: " + err);
    return;
  }
  if (platform::AllocationFailureCount() != allocation_failures_at_well_start_) {
    FailWell(record, "not written: out of memory");
    return;
  }
  if (!platform::ReplaceFile(well_temp_path_.c_str(),
                             well_final_path_.c_str(), &err)) {
    FailWell(record, "cannot write: " + err);
    return;
  }
  well_temp_path_.clear();
  record.written = true;
  record.path = well_final_path_;
  record.closing_row_offset = closing_row_offset;
  record.file_size = file_size;
  record.state = well_;
}

// Reports a well that could not be written whole and drops its file in
// progress; its later lines are skipped.
void Converter::FailWell(FinishedWell& record, const std::string& reason) {
  Report("%s: %s", well_file_name_.c_str(), reason.c_str());
  DiscardWell();
  record.written = false;
}

// Drops the file in progress; the well's earlier file, if any, stays as it
// was.
void Converter::DiscardWell() {
  mode_ = WellMode::kNone;
  output_.Close();
  if (!well_temp_path_.empty())
    std::remove(well_temp_path_.c_str());
  well_temp_path_.clear();
}

}  // namespace

int RunZone2Las(int argc, char* argv[]) {
  const char* program = argc > 0 && argv[0] ? argv[0] : kProgram;
  if (argc < 2) {
    std::printf("Mandatory argumument not specified!\n");
    PrintUsage(stdout, program);
    std::fflush(stdout);
    return kExitUsage;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintHelp(program);
    return kExitSuccess;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s %s\n", kProgram, ZONE2LAS_VERSION);
    return kExitSuccess;
  }
  double depth_step = kDefaultStep;
  std::string err;
  if (argc > 2 && !ParseStep(argv[2], &depth_step, &err)) {
    std::fprintf(stderr, "%s: step \"%s\" %s\n", kProgram, argv[2],
                 err.c_str());
    PrintUsage(stderr, program);
    std::fputc('\n', stderr);
    return kExitUsage;
  }
  Converter converter(argv[1], depth_step);
  return converter.Run();
}
