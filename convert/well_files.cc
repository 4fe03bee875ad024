#include "convert/well_files.h"

#include <cerrno>
#include <cstdio>

#include "convert/las_header.h"
#include "convert/resample.h"
#include "convert/well_names.h"
#include "platform/platform.h"
#include "text/number.h"

namespace {

// A well in progress is written into a private directory of this name (and a
// unique ending) beside its final place.
constexpr const char kPartialPrefix[] = "zone2las-partial-";
// The output stream's buffer: larger than the C library's default, so that
// rows reach the file in few large writes.
constexpr std::size_t kOutputBufferBytes = 1 << 16;

// |output_dir| with a separator after it, unless it ends in one.
std::string OutputPrefix(const std::string& output_dir) {
  if (output_dir.empty() || output_dir.back() == '/' ||
      output_dir.back() == '\\')
    return output_dir;
  return output_dir + "/";
}

}  // namespace

WellFiles::WellFiles(Reporter& reporter, const TableHeader& header,
                     double depth_step, const std::string& table_path,
                     const std::string& output_dir)
    : reporter_(reporter),
      header_(header),
      depth_step_(depth_step),
      table_path_(table_path),
      output_prefix_(OutputPrefix(output_dir)) {}

WellFiles::~WellFiles() {
  if (mode_ == Mode::kWriting)
    Discard();
  for (const auto& folder : partial_directories_)
    platform::RemoveEmptyDirectory(folder.second.c_str());
}

const std::string& WellFiles::KeyOf(const String& well) {
  // A name whose buffer could not be had reads as the empty text.
  const char* name = well.GetText() != nullptr ? well.GetText() : "";
  if (looked_up_key_.empty() || looked_up_name_ != name) {
    looked_up_name_ = name;
    looked_up_key_ = WellKey(output_prefix_ + looked_up_name_ + ".las");
  }
  return looked_up_key_;
}

const WellState* WellFiles::Find(const String& well) {
  if (mode_ != Mode::kNone && well.Equals(current_well_name_))
    return mode_ == Mode::kWriting ? &well_ : nullptr;
  const auto known = wells_.find(KeyOf(well));
  if (known == wells_.end() || !known->second.written)
    return nullptr;
  return &known->second.state;
}

bool WellFiles::Accepts(const DataLine& line, std::string* err) {
  const WellState* state = Find(line.well);
  if (state == nullptr || state->line_count == 0 ||
      DepthKey(line.top) >= DepthKey(state->bottom))
    return true;
  // The bottom as the table wrote it, short of the parser's last bits.
  char bottom[kMaxDepthText + 1];
  int length = FormatDepth(state->bottom, bottom);
  while (bottom[length - 1] == '0')
    --length;
  if (bottom[length - 1] == '.')
    --length;
  bottom[length] = '\0';
  *err = FormatText(
      "top depth %s lies above the bottom depth %s of the previous line of "
      "well \"%s\"; sort the table by well and depth",
      line.top_text.GetText(), bottom, line.well.GetText());
  return false;
}

bool WellFiles::SwitchTo(const String& well) {
  if (mode_ == Mode::kNone || !well.Equals(current_well_name_))
    StartWell(well);
  return mode_ == Mode::kWriting;
}

void WellFiles::StartWell(const String& well) {
  if (mode_ == Mode::kWriting)
    FinishWell();
  current_well_name_.Assign(well);
  well_key_ = KeyOf(well);
  well_.Reset();
  mode_ = Mode::kSkipping;

  auto known = wells_.find(well_key_);
  if (known != wells_.end()) {
    // The well's lines come back after other wells: its file goes on where
    // the earlier lines left it. A well that failed stays skipped; its
    // failure was reported when it happened.
    if (known->second.written && ContinueWellFile(known->second))
      mode_ = Mode::kWriting;
    return;
  }

  FinishedWell& record = wells_[well_key_];
  const std::string own_name = looked_up_name_ + ".las";
  record.file_name = output_prefix_ + own_name;
  if (!StaysInWorkingDirectory(own_name.c_str())) {
    reporter_.ReportLine("well \"%s\" would place its file outside the "
                         "%s directory; its lines are skipped",
                         well.GetText(),
                         output_prefix_.empty() ? "working" : "output");
    return;
  }
  if (!OpenWellFile(record.file_name))
    return;
  well_.strt_offset = WriteLasHeader(output_, header_, depth_step_);
  mode_ = Mode::kWriting;
}

// The run's private directory in |folder|, made on first use.
bool WellFiles::PartialDirectory(const std::string& folder,
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

// Opens the well's file in a private directory beside its final place.
bool WellFiles::OpenWellFile(const std::string& final_name) {
  well_file_name_ = final_name;
  allocation_failures_at_well_start_ = platform::AllocationFailureCount();
  output_.SetName(final_name.c_str());
  well_final_path_ = output_.GetFullName().GetText();
  if (well_final_path_.empty()) {
    reporter_.ReportLine("cannot create %s: the name is too long",
                         final_name.c_str());
    return false;
  }
  if (well_final_path_ == table_path_) {
    reporter_.ReportLine("well \"%s\" would replace the zone table; its lines "
                         "are skipped",
                         current_well_name_.GetText());
    return false;
  }
  const std::string base = std::string(output_.GetTitle().GetText()) +
                           output_.GetExtension().GetText();
  const std::string folder = std::string(output_.GetDrive().GetText()) +
                             output_.GetDirectory().GetText();
  std::string directory;
  std::string err;
  if (!PartialDirectory(folder, &directory, &err)) {
    reporter_.ReportLine("cannot create %s: %s", final_name.c_str(),
                         err.c_str());
    return false;
  }
  well_temp_path_ = directory + "/" + base;
  output_.SetName(well_temp_path_.c_str());
  // The file in progress has a longer path than the finished one, and may
  // not resolve where the finished one would.
  const bool resolved = output_.GetFullName().Length() != 0;
  errno = 0;
  if (!resolved || !output_.OpenWrite(false)) {
    reporter_.ReportLine(
        "cannot create %s: %s", final_name.c_str(),
        resolved ? SystemReason(errno).c_str() : "the name is too long");
    well_temp_path_.clear();
    return false;
  }
  output_.SetBufferSize(kOutputBufferBytes);
  well_temp_path_ = output_.GetFullName().GetText();
  return true;
}

// Copies the finished file without its closing row into a new file in
// progress, and restores the well's state, so that the well goes on exactly
// as if its lines had stood together.
bool WellFiles::ContinueWellFile(FinishedWell& finished) {
  if (!OpenWellFile(finished.file_name)) {
    finished.written = false;
    return false;
  }
  // Reports why the well cannot go on and drops the new file; the finished
  // file stays as it was, and the well's later lines are skipped.
  auto cannot_continue = [&](const std::string& reason) {
    reporter_.ReportLine("cannot continue %s: %s", finished.file_name.c_str(),
                         reason.c_str());
    Discard();
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
  if (earlier.Size() != finished.file_size)
    return cannot_continue("the file has changed since its well was written");
  std::string err;
  if (!earlier.CopyPrefixTo(output_, finished.closing_row_offset, &err))
    return cannot_continue(err);
  well_ = finished.state;
  return true;
}

void WellFiles::FinishCurrent() {
  if (mode_ == Mode::kWriting)
    FinishWell();
}

void WellFiles::FinishWell() {
  FinishedWell& record = wells_[well_key_];
  mode_ = Mode::kNone;
  const std::int64_t closing_row_offset = output_.Tell();
  const double stop = WriteClosingRow(well_, output_);
  const std::int64_t file_size = output_.Tell();
  WriteDepthRange(output_, well_.strt_offset, header_.depth_unit,
                  well_.first_depth, stop);
  std::string err;
  if (!output_.Close(&err)) {
    FailWell(record, "cannot write: " + err);
    return;
  }
  // A text that could not be stored is a lost value or row.
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
void WellFiles::FailWell(FinishedWell& record, const std::string& reason) {
  reporter_.Report("%s: %s", well_file_name_.c_str(), reason.c_str());
  Discard();
  record.written = false;
}

void WellFiles::Discard() {
  mode_ = Mode::kNone;
  output_.Close();
  if (!well_temp_path_.empty())
    std::remove(well_temp_path_.c_str());
  well_temp_path_.clear();
}
