// The parts of Directory that are the same on every system.
#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace platform {

Directory::~Directory() { Release(); }

// An empty directory takes |other|'s place: releasing it does nothing.
Directory::Directory(Directory&& other) noexcept { *this = std::move(other); }

Directory& Directory::operator=(Directory&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, kNoHandle);
    parent_handle_ = std::exchange(other.parent_handle_, kNoHandle);
    lock_handle_ = std::exchange(other.lock_handle_, kNoHandle);
    path_ = std::move(other.path_);
    name_ = std::move(other.name_);
    identity_ = other.identity_;
    other.path_.clear();
    other.name_.clear();
    other.identity_ = FileIdentity();
  }
  return *this;
}

bool Directory::Open(const char* path, std::string* err) {
  return OpenAt(kWorkingDirectory, "", path, err);
}

bool Directory::Open(const Directory& base, const char* path,
                     std::string* err) {
  if (!base.IsOpen()) {
    Close();
    if (err != nullptr) *err = std::strerror(EBADF);
    return false;
  }
  return OpenAt(base.handle_, base.path_, path, err);
}

void Directory::Release() {
  if (IsOpen() && !name_.empty()) RemoveSelf(nullptr);
  Close();
}

}  // namespace platform
