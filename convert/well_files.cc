#include "convert/well_files.h"

#include "convert/las_header.h"
#include "convert/resample.h"
#include "convert/well_names.h"
#include "platform/platform.h"
#include "text/number.h"

namespace {

// The output stream's buffer: larger than the C library's default, so that
// rows reach the file in few large writes.
constexpr std::size_t kOutputBufferBytes = 1 << 20;

// |depth| as a table would write it: six decimals at most, no trailing
// zeros.
std::string ShortDepth(double depth) {
  char text[kMaxDepthText + 1];
  int length = FormatDepth(depth, text);
  while (text[length - 1] == '0') --length;
  if (text[length - 1] == '.') --length;
  return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace

WellFiles::WellFiles(Reporter& reporter, const TableHeader& header,
                     double depth_step, const std::string& table_path,
                     const std::string& output_dir)
    : reporter_(reporter),
      header_(header),
      depth_step_(depth_step),
      table_path_(table_path),
      output_prefix_(output_dir.empty() || output_dir.back() == '/' ||
                             output_dir.back() == '\\'
                         ? output_dir
                         : output_dir + "/"),
      folders_(output_dir) {
  std::string ignored;
  has_table_identity_ =
      platform::IdentifyPath(table_path_.c_str(), &table_identity_, &ignored);
}

WellFiles::~WellFiles() { DiscardAll(); }

// A well whose file cannot be written, known by its name's text.
WellFiles::Well* WellFiles::RefusedWell(const std::string& file_name,
                                        const std::string& message) {
  Well& well = wells_["\n" + file_name];
  if (well.file_name.empty()) {
    well.file_name = file_name;
    well.failed = true;
    well.refusal = message;
  }
  return &well;
}

WellFiles::Well& WellFiles::Lookup(const String& name) {
  // A name whose buffer could not be had reads as the empty text.
  const char* text = name.GetText() != nullptr ? name.GetText() : "";
  if (looked_up_ != nullptr && looked_up_name_ == text) return *looked_up_;
  looked_up_name_ = text;
  const std::string file_name = looked_up_name_ + ".las";
  // Messages name the file as the user would reach it.
  const std::string shown_name = output_prefix_ + file_name;
  const std::string outside = FormatText(
      "well \"%s\" would place its file outside the %s directory; its lines "
      "are skipped",
      text, output_prefix_.empty() ? "working" : "output");
  if (!StaysInWorkingDirectory(file_name.c_str())) {
    looked_up_ = RefusedWell(shown_name, outside);
    return *looked_up_;
  }
  std::size_t folder = 0;
  std::string base_name;
  std::string key;
  std::string err;
  if (!folders_.Place(file_name, &folder, &base_name, &key, &err)) {
    looked_up_ = RefusedWell(
        shown_name,
        err.empty() ? outside : "cannot create " + shown_name + ": " + err);
    return *looked_up_;
  }
  Well& well = wells_[key];
  looked_up_ = &well;
  if (!well.file_name.empty()) return well;
  well.file_name = shown_name;
  well.base_name = base_name;
  well.folder = folder;
  platform::FileIdentity identity;
  if (has_table_identity_ &&
      folders_.Folder(folder).IdentifyFile(base_name.c_str(), &identity,
                                           &err) &&
      identity == table_identity_) {
    well.failed = true;
    well.refusal = FormatText(
        "well \"%s\" would replace the zone table; its lines are skipped",
        text);
  }
  return well;
}

const WellState* WellFiles::Find(const String& well) {
  const Well* found = current_;
  if (current_ == nullptr || !well.Equals(current_well_name_))
    found = &Lookup(well);
  if (found == current_) return writing_ ? &well_ : nullptr;
  return found->failed || !found->has_file ? nullptr : &found->state;
}

bool WellFiles::Accepts(const DataLine& line, std::string* err) {
  const WellState* state = Find(line.well);
  if (state == nullptr || state->line_count == 0 ||
      DepthKey(line.top) >= DepthKey(state->bottom))
    return true;
  *err = FormatText(
      "top depth %s lies above the bottom depth %s of the previous line of "
      "well \"%s\"; sort the table by well and depth",
      line.top_text.GetText(), ShortDepth(state->bottom).c_str(),
      line.well.GetText());
  return false;
}

bool WellFiles::SwitchTo(const String& well) {
  if (current_ != nullptr && well.Equals(current_well_name_)) return writing_;
  Well& next = Lookup(well);
  if (&next != current_) StartWell(next);
  current_well_name_.Assign(well);
  return writing_;
}

void WellFiles::StartWell(Well& well) {
  CompleteCurrent(false);
  current_ = &well;
  well_.Reset();
  if (!well.refusal.empty()) {
    // Reported once, when the well first comes.
    reporter_.ReportLine("%s", well.refusal.c_str());
    well.refusal.clear();
  }
  if (well.failed) return;
  if (well.has_file) {
    writing_ = ContinueWellFile(well);
    return;
  }
  if (!CreateWellFile(well)) return;
  order_.push_back(&well);
  well_.strt_offset = WriteLasHeader(output_, header_, depth_step_);
  rows_.SetFile(&output_);
  writing_ = true;
}

// Creates the well's file in the private directory of its folder.
bool WellFiles::CreateWellFile(Well& well) {
  std::string err;
  platform::Directory* partial = folders_.Partial(well.folder, &err);
  const int descriptor =
      partial != nullptr ? partial->CreateNewFile(well.base_name.c_str(), &err)
                         : -1;
  if (descriptor < 0 ||
      !output_.Adopt(descriptor,
                     (partial->path() + "/" + well.base_name).c_str(), &err)) {
    reporter_.ReportLine("cannot create %s: %s", well.file_name.c_str(),
                         err.c_str());
    well.failed = true;
    return false;
  }
  well.has_file = true;
  output_.SetBufferSize(kOutputBufferBytes);
  allocation_failures_at_start_ = platform::AllocationFailureCount();
  return true;
}

// Reopens the waiting well's file and goes on from the state before its
// closing row, over that row if it has one, exactly as if its lines had stood
// together.
bool WellFiles::ContinueWellFile(Well& well) {
  std::string err;
  platform::Directory* partial = folders_.Partial(well.folder, &err);
  const int descriptor = partial->ReopenFile(well.base_name.c_str(), &err);
  if (descriptor < 0 ||
      !output_.Adopt(descriptor,
                     (partial->path() + "/" + well.base_name).c_str(), &err) ||
      !(well.completed ? output_.SeekTo(well.closing_row_offset, &err)
                       : output_.SeekTo(well.size, &err))) {
    FailWell(well, "cannot continue: " + err);
    return false;
  }
  well.continued = true;
  output_.SetBufferSize(kOutputBufferBytes);
  rows_.SetFile(&output_);
  allocation_failures_at_start_ = platform::AllocationFailureCount();
  well_ = well.state;
  return true;
}

// Completes the current well's file where it is: closing row, depth range,
// close. Its state before the closing row is kept for its lines to come. A
// well that has come back once is likely to come back again (tables sorted
// by formation take every well in turn): until the table has been read, it
// waits without its closing row and depth range, which saves the seeks and
// writes of a completion at every turn.
void WellFiles::CompleteCurrent(bool at_end) {
  if (!writing_) return;
  writing_ = false;
  Well& well = *current_;
  std::string err;
  rows_.Flush();
  if (well.continued && !at_end) {
    // Rows written over an old closing row may end short of it.
    const std::int64_t size = output_.Tell();
    if (size < well.size && !output_.Truncate(size, &err)) {
      FailWell(well, "cannot write: " + err);
      return;
    }
    well.size = size;
    if (CloseCurrent(well)) well.completed = false;
    return;
  }
  const std::int64_t closing_row_offset = output_.Tell();
  const double stop = WriteClosingRow(well_, rows_);
  rows_.Flush();
  // A continued well overwrites its old closing row; what it wrote may end
  // short of that row's end.
  const std::int64_t size = output_.Tell();
  if (size < well.size && !output_.Truncate(size, &err)) {
    FailWell(well, "cannot write: " + err);
    return;
  }
  WriteDepthRange(output_, well_.strt_offset, header_.depth_unit,
                  well_.first_depth, stop);
  if (!CloseCurrent(well)) return;
  well.completed = true;
  well.closing_row_offset = closing_row_offset;
  well.size = size;
}

// Closes the current well's file and keeps its state; false once the well
// has failed.
bool WellFiles::CloseCurrent(Well& well) {
  std::string err;
  if (!output_.Close(&err)) {
    FailWell(well, "cannot write: " + err);
    return false;
  }
  // A text that could not be stored is a lost value or row.
  if (platform::AllocationFailureCount() != allocation_failures_at_start_) {
    FailWell(well, "not written: out of memory");
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
    rows_.Flush();
    output_.Close();
  }
  if (!well.has_file) return;
  std::string ignored;
  folders_.Partial(well.folder, &ignored)
      ->RemoveFile(well.base_name.c_str(), &ignored);
  well.has_file = false;
}

void WellFiles::Publish() {
  CompleteCurrent(true);
  for (Well* well : order_) {
    if (!well->failed && well->has_file && !well->completed) {
      current_ = well;
      writing_ = ContinueWellFile(*well);
      CompleteCurrent(true);
    }
  }
  for (Well* well : order_) {
    if (well->failed || !well->has_file) continue;
    std::string err;
    if (!folders_.Partial(well->folder, &err)
             ->MoveOut(well->base_name.c_str(), folders_.Folder(well->folder),
                       well->base_name.c_str(), &err)) {
      FailWell(*well, "cannot write: " + err);
      continue;
    }
    well->has_file = false;
  }
  DiscardAll();
}

void WellFiles::DiscardAll() {
  writing_ = false;
  rows_.Flush();
  output_.Close();
  for (Well* well : order_) DropFile(*well);
  folders_.RemovePartials();
}
