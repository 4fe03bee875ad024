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

WellFolders::WellFolders(const std::string& output_dir)
    : output_dir_(output_dir.empty() ? "." : output_dir) {}

WellFolders::~WellFolders() { RemovePartials(); }

// The output directory, opened when the first well needs it.
bool WellFolders::OpenOutputDirectory(std::string* err) {
  if (!output_opened_) {
    output_opened_ = true;
    auto held = std::make_unique<Held>();
    if (held->directory.Open(output_dir_.c_str(), &output_error_)) {
      folder_by_identity_[held->directory.identity()] = 0;
      folders_.push_back(std::move(held));
    }
  }
  if (folders_.empty()) *err = output_error_;
  return !folders_.empty();
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
  auto held = std::make_unique<Held>();
  if (!held->directory.Open(folders_[0]->directory, directory_part.c_str(),
                            err))
    return false;
  if (!platform::IsInside(held->directory, folders_[0]->directory)) {
    err->clear();
    return false;
  }
  // Two spellings of one folder are one folder.
  const auto same = folder_by_identity_.find(held->directory.identity());
  if (same != folder_by_identity_.end()) {
    *index = same->second;
  } else {
    *index = folders_.size();
    folder_by_identity_[held->directory.identity()] = *index;
    folders_.push_back(std::move(held));
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
  *key = IdentityKey(Folder(*folder).identity()) +
         platform::FileNameKey(base_name->c_str());
  return true;
}

platform::Directory* WellFolders::Partial(std::size_t folder,
                                          std::string* err) {
  Held& held = *folders_[folder];
  if (!held.partial.IsOpen() &&
      !held.partial.MakePrivate(held.directory, kPartialPrefix, err))
    return nullptr;
  return &held.partial;
}

void WellFolders::RemovePartials() {
  for (const std::unique_ptr<Held>& held : folders_) {
    std::string ignored;
    if (held->partial.IsOpen()) held->partial.RemoveSelf(&ignored);
  }
}
