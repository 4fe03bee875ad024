// The parts of Directory that are the same on every system.
#include "platform/files.h"

#include <utility>

namespace platform {

Directory::~Directory() { Release(); }

Directory::Directory(Directory&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)),
      parent_handle_(std::exchange(other.parent_handle_, kNoHandle)),
      path_(std::move(other.path_)),
      name_(std::move(other.name_)),
      identity_(other.identity_) {
  other.path_.clear();
  other.name_.clear();
  other.identity_ = FileIdentity();
}

Directory& Directory::operator=(Directory&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, kNoHandle);
    parent_handle_ = std::exchange(other.parent_handle_, kNoHandle);
    path_ = std::move(other.path_);
    name_ = std::move(other.name_);
    identity_ = other.identity_;
    other.path_.clear();
    other.name_.clear();
    other.identity_ = FileIdentity();
  }
  return *this;
}

void Directory::Release() {
  if (IsOpen() && !name_.empty()) RemoveSelf(nullptr);
  Close();
}

}  // namespace platform
