#include "convert/well_files.h"

#include <cstring>
#include <utility>

#include "convert/las_header.h"
#include "convert/resample.h"
#include "convert/well_names.h"
#include "platform/platform.h"
#include "text/number.h"

namespace {

// The run's private directory in a folder: this name and a unique ending.
constexpr const char kPartialPrefix[] = "zone2las-partial-";
// The output stream's buffer: larger than the C library's default, so that
// rows reach the file in few large writes.
constexpr std::size_t kOutputBufferBytes = 1 << 16;

// The key of a folder's identity, to stand before a file name's key.
std::string IdentityKey(const platform::FileIdentity& identity) {
  std::string key(2 * sizeof(std::uint64_t) + 1, '/');
  std::memcpy(&key[0], &identity.device, sizeof identity.device);
  std::memcpy(&key[sizeof identity.device], &identity.file,
              sizeof identity.file);
  return key;
}

// |depth| as a table would write it: six decimals at most, no trailing
// zeros.
std::string ShortDepth(double depth) {
  char text[kMaxDepthText + 1];
  int length = FormatDepth(depth, text);
  while (text[length - 1] == '0')
    --length;
  if (text[length - 1] == '.')
    --length;
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
      output_dir_(output_dir),
      output_prefix_(output_dir.empty() || output_dir.back() == '/' ||
                             output_dir.back() == '\\'
                         ? output_dir
                         : output_dir + "/") {
  std::string ignored;
  has_table_identity_ =
      platform::IdentifyPath(table_path_.c_str(), &table_identity_, &ignored);
}

WellFiles::~WellFiles() { DiscardAll(); }

// The output directory, opened when the first well needs it.
bool WellFiles::OpenOutputDirectory() {
  if (output_opened_)
    return output_ok_;
  output_opened_ = true;
  auto folder = std::make_unique<Folder>();
  std::string err;
  if (!folder->directory.Open(output_dir_.empty() ? "." : output_dir_.c_str(),
                              &err)) {
    reporter_.Report("%s: cannot open the output directory: %s",
                     output_dir_.empty() ? "." : output_dir_.c_str(),
                     err.c_str());
    return false;
  }
  folder_by_identity_[folder->directory.identity()] = 0;
  folders_.push_back(std::move(folder));
  output_ok_ = true;
  return true;
}

// The folder that |directory_part| of a well name leads to, opened once; it
// must lie inside the output directory, links resolved.
bool WellFiles::FolderOf(const std::string& directory_part, std::size_t* index,
                         std::string* err) {
  if (directory_part.empty()) {
    *index = 0;
    return true;
  }
  const auto known = folder_by_text_.find(directory_part);
  if (known != folder_by_text_.end()) {
    *index = known->second;
    return true;
  }
  auto folder = std::make_unique<Folder>();
  if (!folder->directory.Open(folders_[0]->directory, directory_part.c_str(),
                              err))
    return false;
  if (!platform::IsInside(folder->directory, folders_[0]->directory)) {
    err->clear();
    return false;
  }
  // Two spellings of one folder are one folder.
  const auto same = folder_by_identity_.find(folder->directory.identity());
  if (same != folder_by_identity_.end()) {
    *index = same->second;
  } else {
    *index = folders_.size();
    folder_by_identity_[folder->directory.identity()] = *index;
    folders_.push_back(std::move(folder));
  }
  folder_by_text_[directory_part] = *index;
  return true;
}

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
  if (looked_up_ != nullptr && looked_up_name_ == text)
    return *looked_up_;
  looked_up_name_ = text;
  const std::string file_name = looked_up_name_ + ".las";
  // Messages name the file as the user would reach it.
  const std::string shown_name = output_prefix_ + file_name;
  const std::string outside = FormatText(
      "well \"%s\" would place its file outside the %s directory; its lines "
      "are skipped",
      text, output_dir_.empty() ? "working" : "output");
  if (!StaysInWorkingDirectory(file_name.c_str())) {
    looked_up_ = RefusedWell(shown_name, outside);
    return *looked_up_;
  }
  if (!OpenOutputDirectory()) {
    looked_up_ = RefusedWell(
        shown_name, "cannot create " + shown_name + ": no output directory");
    return *looked_up_;
  }
  const std::size_t separator = file_name.find_last_of("/\\");
  const std::string directory_part =
      separator == std::string::npos ? "" : file_name.substr(0, separator);
  const std::string base_name = separator == std::string::npos
                                    ? file_name
                                    : file_name.substr(separator + 1);
  std::size_t folder = 0;
  std::string err;
  if (!FolderOf(directory_part, &folder, &err)) {
    looked_up_ = RefusedWell(
        shown_name, err.empty() ? outside
                                : "cannot create " + shown_name + ": " + err);
    return *looked_up_;
  }
  const platform::Directory& directory = folders_[folder]->directory;
  Well& well = wells_[IdentityKey(directory.identity()) +
                      platform::FileNameKey(base_name.c_str())];
  looked_up_ = &well;
  if (!well.file_name.empty())
    return well;
  well.file_name = shown_name;
  well.base_name = base_name;
  well.folder = folder;
  platform::FileIdentity identity;
  if (has_table_identity_ &&
      directory.IdentifyFile(base_name.c_str(), &identity, &err) &&
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
  if (found == current_)
    return writing_ ? &well_ : nullptr;
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
  if (current_ != nullptr && well.Equals(current_well_name_))
    return writing_;
  Well& next = Lookup(well);
  if (&next != current_)
    StartWell(next);
  current_well_name_.Assign(well);
  return writing_;
}

void WellFiles::StartWell(Well& well) {
  CompleteCurrent();
  current_ = &well;
  well_.Reset();
  if (!well.refusal.empty()) {
    // Reported once, when the well first comes.
    reporter_.ReportLine("%s", well.refusal.c_str());
    well.refusal.clear();
  }
  if (well.failed)
    return;
  if (well.has_file) {
    writing_ = ContinueWellFile(well);
    return;
  }
  if (!CreateWellFile(well))
    return;
  order_.push_back(&well);
  well_.strt_offset = WriteLasHeader(output_, header_, depth_step_);
  writing_ = true;
}

// Creates the well's file in the private directory of its folder.
bool WellFiles::CreateWellFile(Well& well) {
  Folder& folder = *folders_[well.folder];
  std::string err;
  if (!folder.partial.IsOpen() &&
      !folder.partial.MakePrivate(folder.directory, kPartialPrefix, &err)) {
    reporter_.ReportLine("cannot create %s: %s", well.file_name.c_str(),
                         err.c_str());
    well.failed = true;
    return false;
  }
  const int descriptor =
      folder.partial.CreateNewFile(well.base_name.c_str(), &err);
  if (descriptor < 0 ||
      !output_.Adopt(descriptor,
                     (folder.partial.path() + "/" + well.base_name).c_str(),
                     &err)) {
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
// closing row, over that row, exactly as if its lines had stood together.
bool WellFiles::ContinueWellFile(Well& well) {
  Folder& folder = *folders_[well.folder];
  std::string err;
  const int descriptor =
      folder.partial.ReopenFile(well.base_name.c_str(), &err);
  if (descriptor < 0 ||
      !output_.Adopt(descriptor,
                     (folder.partial.path() + "/" + well.base_name).c_str(),
                     &err) ||
      !output_.SeekTo(well.closing_row_offset, &err)) {
    FailWell(well, "cannot continue: " + err);
    return false;
  }
  output_.SetBufferSize(kOutputBufferBytes);
  allocation_failures_at_start_ = platform::AllocationFailureCount();
  well_ = well.state;
  return true;
}

// Completes the current well's file where it is: closing row, depth range,
// close. Its state before the closing row is kept for its lines to come.
void WellFiles::CompleteCurrent() {
  if (!writing_)
    return;
  writing_ = false;
  Well& well = *current_;
  const std::int64_t closing_row_offset = output_.Tell();
  const double stop = WriteClosingRow(well_, output_);
  // A continued well overwrites its old closing row; what it wrote may end
  // short of that row's end.
  const std::int64_t size = output_.Tell();
  std::string err;
  if (size < well.size && !output_.Truncate(size, &err)) {
    FailWell(well, "cannot write: " + err);
    return;
  }
  WriteDepthRange(output_, well_.strt_offset, header_.depth_unit,
                  well_.first_depth, stop);
  if (!output_.Close(&err)) {
    FailWell(well, "cannot write: " + err);
    return;
  }
  // A text that could not be stored is a lost value or row.
  if (platform::AllocationFailureCount() != allocation_failures_at_start_) {
    FailWell(well, "not written: out of memory");
    return;
  }
  well.closing_row_offset = closing_row_offset;
  well.size = size;
  well.state = well_;
}

// Reports a well that cannot be written whole and drops its file; its later
// lines are skipped.
void WellFiles::FailWell(Well& well, const std::string& reason) {
  reporter_.Report("%s: %s", well.file_name.c_str(), reason.c_str());
  DropFile(well);
  well.failed = true;
  if (&well == current_)
    writing_ = false;
}

void WellFiles::DropFile(Well& well) {
  if (&well == current_)
    output_.Close();
  if (!well.has_file)
    return;
  std::string ignored;
  folders_[well.folder]->partial.RemoveFile(well.base_name.c_str(), &ignored);
  well.has_file = false;
}

void WellFiles::Publish() {
  CompleteCurrent();
  for (Well* well : order_) {
    if (well->failed || !well->has_file)
      continue;
    Folder& folder = *folders_[well->folder];
    std::string err;
    if (!folder.partial.MoveOut(well->base_name.c_str(), folder.directory,
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
  output_.Close();
  for (Well* well : order_)
    DropFile(*well);
  for (const std::unique_ptr<Folder>& folder : folders_) {
    std::string ignored;
    if (folder->partial.IsOpen())
      folder->partial.RemoveSelf(&ignored);
  }
}
