#include "convert/well_names.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "platform/platform.h"

bool StaysInWorkingDirectory(const char* name) {
  if (name[0] == '/' || name[0] == '\\' || (name[0] && name[1] == ':'))
    return false;
  int depth = 0;
  const char* part = name;
  for (const char* p = name;; ++p) {
    if (*p == '/' || *p == '\\' || *p == '\0') {
      const std::size_t length = static_cast<std::size_t>(p - part);
      if (length == 2 && part[0] == '.' && part[1] == '.') {
        if (--depth < 0) return false;
      } else if (length > 0 && !(length == 1 && part[0] == '.')) {
        ++depth;
      }
      if (*p == '\0') break;
      part = p + 1;
    }
  }
  return true;
}

namespace {

// The run's private directory in a folder: this name and a unique ending.
constexpr const char kPartialPrefix[] = "zone2las-partial-";

// The key of a folder's identity, to stand before a file name's key.
std::string IdentityKey(const platform::FileIdentity& identity) {
  std::string key(2 * sizeof(std::uint64_t) + 1, '/');
  std::memcpy(&key[0], &identity.device, sizeof identity.device);
  std::memcpy(&key[sizeof identity.device], &identity.file,
              sizeof identity.file);
  return key;
}

}  // namespace

std::string FlatName(const std::string& well) {
  std::string flat = well;
  for (char& c : flat) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f || std::strchr("/\\:*?\"<>|", c) != nullptr)
      c = '_';
  }
  static const char* const kDevices[] = {
      "CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4",
      "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3",
      "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};
  const std::size_t stem = std::min(flat.find('.'), flat.size());
  for (const char* device : kDevices) {
    if (stem != std::strlen(device)) continue;
    bool same = true;
    for (std::size_t i = 0; i < stem && same; ++i) {
      char c = flat[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      same = c == device[i];
    }
    if (same) {
      flat.insert(stem, "_");
      break;
    }
  }
  return flat;
}

bool OutputDirectoryOpens(const char* output_dir, std::string* err) {
  platform::Directory directory;
  return directory.Open(output_dir, err);
}

WellFolders::WellFolders(const std::string& output_dir)
    : output_dir_(output_dir.empty() ? "." : output_dir),
      most_held_(platform::FoldersToHold()) {}

WellFolders::~WellFolders() { RemovePartials(); }

// The output directory, opened when the first well needs it.
bool WellFolders::OpenOutputDirectory(std::string* err) {
  if (!output_opened_) {
    output_opened_ = true;
    auto held = std::make_unique<Held>();
    if (held->directory.Open(output_dir_.c_str(), &output_error_)) {
      Known known;
      known.shown = output_dir_;
      known.identity = held->directory.identity();
      known.held = 0;
      held->folder = 0;
      folder_by_identity_[known.identity] = 0;
      folders_.push_back(known);
      held_.push_back(std::move(held));
    }
  }
  if (folders_.empty()) *err = output_error_;
  return !folders_.empty();
}

// A place in held_ for one more folder: a new one while fewer than
// most_held_ folders are held, else that of the folder used longest ago,
// which is let go of. The output directory keeps its place.
std::size_t WellFolders::FreePlace() {
  std::size_t oldest = 0;
  for (std::size_t i = 1; i < held_.size(); ++i) {
    const std::size_t folder = held_[i]->folder;
    if (folder == kNotHeld) return i;
    if (folders_[folder].relative.empty()) continue;
    if (oldest == 0 || held_[i]->last_use < held_[oldest]->last_use) oldest = i;
  }
  if (held_.size() <= most_held_ || oldest == 0) {
    held_.push_back(std::make_unique<Held>());
    return held_.size() - 1;
  }
  Held& held = *held_[oldest];
  // Closed, not released: a private directory that is empty stays.
  held.partial.Close();
  held.directory.Close();
  folders_[held.folder].held = kNotHeld;
  held.folder = kNotHeld;
  return oldest;
}

// The folder that |directory_part| of a well name leads to, opened once; it
// must lie inside the output directory, links resolved.
bool WellFolders::FolderOf(const std::string& directory_part,
                           std::size_t* index, std::string* err) {
  if (directory_part.empty()) {
    *index = 0;
    return true;
  }
  const auto known = folder_by_text_.find(directory_part);
  if (known != folder_by_text_.end()) {
    *index = known->second;
    return true;
  }
  platform::Directory directory;
  if (!directory.Open(held_[0]->directory, directory_part.c_str(), err))
    return false;
  if (!platform::IsInside(directory, held_[0]->directory)) {
    err->clear();
    return false;
  }
  // Two spellings of one folder are one folder.
  const auto same = folder_by_identity_.find(directory.identity());
  if (same != folder_by_identity_.end()) {
    *index = same->second;
  } else {
    *index = folders_.size();
    Known found;
    found.shown = directory_part;
    found.identity = directory.identity();
    // Full paths with links resolved: the folder's starts with the output
    // directory's. A system that cannot tell leaves the folder held.
    std::string root = held_[0]->directory.path();
    if (root.empty() || (root.back() != '/' && root.back() != '\\'))
      root += '/';
    const std::string& path = directory.path();
    if (path.size() > root.size() && path.compare(0, root.size(), root) == 0)
      found.relative = path.substr(root.size());
    folder_by_identity_[found.identity] = *index;
    folders_.push_back(found);
    const std::size_t place = FreePlace();
    held_[place]->folder = *index;
    held_[place]->last_use = ++uses_;
    held_[place]->directory = std::move(directory);
    folders_[*index].held = place;
  }
  folder_by_text_[directory_part] = *index;
  return true;
}

bool WellFolders::Place(const std::string& file_name, std::size_t* folder,
                        std::string* base_name, std::string* key,
                        std::string* err) {
  if (!OpenOutputDirectory(err)) return false;
  const std::size_t separator = file_name.find_last_of("/\\");
  const std::string directory_part =
      separator == std::string::npos ? "" : file_name.substr(0, separator);
  *base_name = separator == std::string::npos ? file_name
                                              : file_name.substr(separator + 1);
  if (!FolderOf(directory_part, folder, err)) return false;
  *key = IdentityKey(folders_[*folder].identity) +
         platform::FileNameKey(base_name->c_str());
  return true;
}

// |folder| held, with its private directory if it has one: reopened if it
// was let go of, and only if both are still the directories first found.
WellFolders::Held* WellFolders::Hold(std::size_t folder, std::string* err) {
  Known& known = folders_[folder];
  if (known.held == kNotHeld) {
    const std::size_t place = FreePlace();
    Held& held = *held_[place];
    std::string reason;
    if (!held.directory.Reopen(held_[0]->directory, known.relative,
                               known.identity, &reason)) {
      *err = "cannot reopen the folder \"" + known.shown + "\": " + reason;
      return nullptr;
    }
    if (!known.partial_name.empty() &&
        !held.partial.ReopenPrivate(held.directory, known.partial_name,
                                    known.partial_identity, &reason)) {
      held.directory.Close();
      *err = "cannot reopen the run's private directory in \"" + known.shown +
             "\": " + reason;
      return nullptr;
    }
    held.folder = folder;
    known.held = place;
  }
  Held* held = held_[known.held].get();
  held->last_use = ++uses_;
  return held;
}

platform::Directory* WellFolders::Folder(std::size_t folder, std::string* err) {
  Held* held = Hold(folder, err);
  return held != nullptr ? &held->directory : nullptr;
}

platform::Directory* WellFolders::Partial(std::size_t folder,
                                          std::string* err) {
  Held* held = Hold(folder, err);
  if (held == nullptr) return nullptr;
  if (!held->partial.IsOpen()) {
    if (!held->partial.MakePrivate(held->directory, kPartialPrefix, err))
      return nullptr;
    folders_[folder].partial_name = held->partial.name();
    folders_[folder].partial_identity = held->partial.identity();
  }
  return &held->partial;
}

bool WellFolders::MoveIntoPlace(std::size_t folder, const std::string& name,
                                std::string* err) {
  platform::Directory* partial = Partial(folder, err);
  return partial != nullptr &&
         partial->MoveOut(name.c_str(), held_[folders_[folder].held]->directory,
                          name.c_str(), err);
}

void WellFolders::RemovePartials() {
  for (std::size_t folder = 0; folder < folders_.size(); ++folder) {
    if (folders_[folder].partial_name.empty()) continue;
    std::string ignored;
    Held* held = Hold(folder, &ignored);
    if (held != nullptr && held->partial.IsOpen())
      held->partial.RemoveSelf(&ignored);
    folders_[folder].partial_name.clear();
  }
}
