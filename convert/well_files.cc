#include "convert/well_files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "convert/depth_key.h"
#include "text/number.h"

#ifdef ZONE2LAS_TEST_HOOKS
#include <chrono>
#include <thread>
#endif

namespace {

// The output stream's buffer, for the header and the depth range (rows go
// past it, in blocks): larger than the C library's default, so that a wide
// header reaches the file in few writes, and small enough that its fresh
// pages cost little.
constexpr std::size_t kOutputBufferBytes = 1 << 16;

// |depth| as a table would write it: six decimals at most, no trailing
// zeros.
std::string ShortDepth(double depth) {
  char text[kMaxDepthText + 1];
  int length = FormatDepth(depth, text);
  while (text[length - 1] == '0') --length;
  if (text[length - 1] == '.') --length;
  return std::string(text, static_cast<std::size_t>(length));
}

// Whether |a| and |b| are the same bytes: only then may a line skip the
// lookup of the file its well's name reaches. Names that differ otherwise
// (in case, or in a way that the file system folds) are looked up.
bool SameBytes(const String& a, const String& b) {
  const char* x = a.GetText() != nullptr ? a.GetText() : "";
  const char* y = b.GetText() != nullptr ? b.GetText() : "";
  return std::strcmp(x, y) == 0;
}

#ifdef ZONE2LAS_TEST_HOOKS
// A test build pauses between the renames of a run for as many milliseconds
// as the environment says, so that a test can send its signals there.
void PauseBetweenRenames() {
  if (const char* ms = std::getenv("ZONE2LAS_TEST_PAUSE_BETWEEN_RENAMES_MS"))
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
}
#else
void PauseBetweenRenames() {}
#endif

}  // namespace

WellFiles::WellFiles(Reporter& reporter, WellFormat& format,
                     const std::string& table_path,
                     const std::string& output_dir)
    : reporter_(reporter),
      format_(format),
      folders_(output_dir),
      registry_(reporter, folders_, table_path, output_dir) {}

WellFiles::~WellFiles() { DiscardAll(); }

WellFiles::Well& WellFiles::Of(const String& name) {
  if (current_ != nullptr && SameBytes(name, current_well_name_))
    return *current_;
  return registry_.Lookup(name);
}

bool WellFiles::LastBottom(const Well& well, double* bottom) const {
  if (&well == current_) {
    if (!writing_ || well_.line_count == 0) return false;
    *bottom = well_.bottom;
    return true;
  }
  if (well.failed || well.deferred || !well.has_file) return false;
  const bool waiting = well.waiting_since != 0;
  *bottom = waiting ? well.waiting_bottom : well.state.bottom;
  return waiting || well.state.line_count > 0;
}

bool WellFiles::Accepts(const DataLine& line, std::string* err) {
  double bottom = 0.0;
  if (!LastBottom(Of(line.well), &bottom) ||
      DepthKey(line.top) >= DepthKey(bottom))
    return true;
  *err = FormatText(
      "top depth %s lies above the bottom depth %s of the previous line of "
      "well \"%s\"",
      line.top_text.GetText(), ShortDepth(bottom).c_str(), line.well.GetText());
  return false;
}

bool WellFiles::ReturnsAcrossGap(const DataLine& line, std::int64_t most_keys) {
  const Well& well = Of(line.well);
  double bottom = 0.0;
  if (&well == current_ || !LastBottom(well, &bottom)) return false;
  return std::int64_t{DepthKey(line.top)} - DepthKey(bottom) > most_keys;
}

bool WellFiles::Waits(const DataLine& line, long number) {
  Well& well = Of(line.well);
  if (&well == current_ || well.failed || well.deferred || !well.has_file)
    return false;
  if (well.waiting_since == 0) well.waiting_since = number;
  well.waiting_bottom = line.bottom;
  return true;
}

long WellFiles::Defer(const String& name, long number) {
  Well& well = registry_.Lookup(name);
  if (well.deferred || well.failed) return number;
  const long unwritten = well.waiting_since != 0 ? well.waiting_since : number;
  DropFile(well);
  if (&well == current_) {
    writing_ = false;
    current_ = nullptr;
  }
  order_.erase(std::remove(order_.begin(), order_.end(), &well), order_.end());
  well.deferred = true;
  well.waiting_since = 0;
  well.completed = false;
  well.continued = false;
  well.rows_end = 0;
  well.size = 0;
  well.state.Reset();
  deferred_.push_back(&well);
  return unwritten;
}

bool WellFiles::IsDeferred(const String& name) {
  return !deferred_.empty() && registry_.Lookup(name).deferred;
}

void WellFiles::EndDeferral() {
  // A well set aside may be current, with nothing written: its lines start
  // it afresh.
  if (current_ != nullptr && current_->deferred) current_ = nullptr;
  for (Well* well : deferred_) well->deferred = false;
  deferred_.clear();
}

bool WellFiles::SwitchTo(const String& well) {
  if (current_ != nullptr && SameBytes(well, current_well_name_))
    return writing_;
  Well& next = registry_.Lookup(well);
  // The name that starts a well's file is the one its header shows.
  current_well_name_.Assign(well);
  if (&next != current_) StartWell(next);
  return writing_;
}

void WellFiles::StartWell(Well& well) {
  CompleteCurrent(false);
  current_ = &well;
  well_.Reset();
  // A refusal is reported once, when the well first comes.
  std::string refusal;
  if (registry_.TakeRefusal(well, &refusal))
    reporter_.ReportLine("%s", refusal.c_str());
  if (well.failed || well.deferred) return;
  if (well.has_file) {
    ResumeWell(well);
    return;
  }
  if (!CreateWellFile(well)) return;
  order_.push_back(&well);
  format_.WriteHeader(output_, current_well_name_, well_);
  rows_.SetFile(&output_);
  writing_ = true;
}

// Opens the well's file in the private directory of its folder, created
// afresh or |reopened|, as the stream of output_ with its large buffer (set
// before anything else, as a seek would give the stream a buffer of its own).
bool WellFiles::OpenInPartial(const Well& well, bool reopened,
                              std::string* err) {
  platform::Directory* partial = folders_.Partial(well.folder, err);
  if (partial == nullptr) return false;
  const int descriptor =
      reopened ? partial->ReopenFile(well.base_name.c_str(), err)
               : partial->CreateNewFile(well.base_name.c_str(), err);
  if (descriptor < 0 ||
      !output_.Adopt(descriptor,
                     (partial->path() + "/" + well.base_name).c_str(), err))
    return false;
  output_.SetBufferSize(kOutputBufferBytes);
  return true;
}

// Creates the well's file in the private directory of its folder.
bool WellFiles::CreateWellFile(Well& well) {
  std::string err;
  if (!OpenInPartial(well, false, &err)) {
    reporter_.ReportLine("cannot create %s: %s", well.file_name.c_str(),
                         err.c_str());
    well.failed = true;
    return false;
  }
  well.has_file = true;
  return true;
}

// Goes on with a well from the state before its closing row, exactly as if
// its lines had stood together: its file is reopened where its rows end.
void WellFiles::ResumeWell(Well& well) {
  well.waiting_since = 0;
  std::string err;
  if (!OpenWaitingFile(well, &err)) {
    FailWell(well, "cannot continue: " + err);
    return;
  }
  well.continued = true;
  well.completed = false;
  well_ = well.state;
  rows_.SetFile(&output_);
  writing_ = true;
}

// Reopens a waiting well's file where its rows end: over its closing row, if
// it has one.
bool WellFiles::OpenWaitingFile(Well& well, std::string* err) {
  if (!OpenInPartial(well, true, err)) return false;
  if (!output_.SeekTo(well.rows_end, err)) {
    output_.Close();
    return false;
  }
  return true;
}

// Makes |size|, where what was just written ends, the end of the well's rows
// and of its file: rows written over an old closing row may end short of it.
bool WellFiles::CutAt(Well& well, std::int64_t size, std::string* err) {
  if (size < well.size && !output_.Truncate(size, err)) return false;
  well.size = size;
  well.rows_end = size;
  return true;
}

// Completes the current well's file where it is: closing row, depth range,
// close. Its state before the closing row is kept for its lines to come. A
// well that has come back once is likely to come back again (tables sorted
// by formation take every well in turn): until the table has been read, it
// is left without its closing row and depth range.
void WellFiles::CompleteCurrent(bool at_end) {
  if (!writing_) return;
  writing_ = false;
  Well& well = *current_;
  std::string err;
  // Where the rows taken so far end in the file.
  const std::int64_t rows_end = rows_.Offset();
  if (well.continued && !at_end && !end_of_table_) {
    rows_.Flush();
    if (!CutAt(well, rows_end, &err)) {
      FailWell(well, "cannot write: " + err);
      return;
    }
    CloseCurrent(well);
    return;
  }
  // The closing row goes out with the rows before it, in one write.
  format_.WriteEnd(well_, rows_);
  const std::int64_t end = rows_.Offset();
  rows_.Flush();
  if (!CutAt(well, end, &err)) {
    FailWell(well, "cannot write: " + err);
    return;
  }
  format_.FinishHeader(output_, well_);
  if (!CloseCurrent(well)) return;
  well.completed = true;
  well.rows_end = rows_end;
}

// Closes the current well's file and keeps its state for its lines to come;
// false once the well has failed.
bool WellFiles::CloseCurrent(Well& well) {
  std::string err;
  if (!output_.Close(&err)) {
    FailWell(well, "cannot write: " + err);
    return false;
  }
  well.state = well_;
  return true;
}

// Reports a well that cannot be written whole and drops its file; its later
// lines are skipped.
void WellFiles::FailWell(Well& well, const std::string& reason) {
  reporter_.Report("%s: %s", well.file_name.c_str(), reason.c_str());
  DropFile(well);
  well.failed = true;
  if (&well == current_) writing_ = false;
}

void WellFiles::DropFile(Well& well) {
  if (&well == current_) {
    rows_.Discard();
    output_.Close();
  }
  well.waiting_since = 0;
  if (!well.has_file) return;
  std::string ignored;
  if (platform::Directory* partial = folders_.Partial(well.folder, &ignored))
    partial->RemoveFile(well.base_name.c_str(), &ignored);
  well.has_file = false;
}

void WellFiles::CompleteAll() {
  CompleteCurrent(true);
  for (Well* well : order_) {
    if (!well->failed && well->has_file && !well->completed) {
      current_ = well;
      ResumeWell(*well);
      CompleteCurrent(true);
    }
  }
}

void WellFiles::Publish() {
  CompleteAll();
  for (Well* well : order_) {
    if (well->failed || !well->has_file) continue;
    PauseBetweenRenames();
    std::string err;
    if (!folders_.MoveIntoPlace(well->folder, well->base_name, &err)) {
      FailWell(*well, "cannot write: " + err);
      continue;
    }
    well->has_file = false;
  }
  DiscardAll();
}

void WellFiles::DiscardAll() {
  writing_ = false;
  rows_.Discard();
  output_.Close();
  for (Well* well : order_) DropFile(*well);
  folders_.RemovePartials();
}
