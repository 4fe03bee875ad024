#include "text/fields.h"

#include <algorithm>
#include <cstring>

std::size_t Fields::Length(std::size_t i) const {
  return std::strlen((*this)[i]);
}

void Fields::Reserve(std::size_t bytes) {
  if (bytes <= capacity_) return;
  const std::size_t capacity =
      capacity_ == 0 ? bytes : std::max(bytes, 2 * capacity_);
  std::unique_ptr<char[]> text(new char[capacity]);
  if (size_ != 0) std::memcpy(text.get(), text_.get(), size_);
  text_.swap(text);
  capacity_ = capacity;
}

void Fields::Extend(const char* text, std::size_t length) {
  // The last field's zero byte ends the buffer: it moves after the new bytes.
  Reserve(size_ + length);
  std::memcpy(text_.get() + size_ - 1, text, length);
  size_ += length;
  text_[size_ - 1] = '\0';
}

void Fields::Replace(std::size_t i, const char* text) {
  const std::size_t start = size_;
  const std::size_t length = std::strlen(text);
  Reserve(size_ + length + 1);
  std::memcpy(text_.get() + size_, text, length + 1);
  size_ += length + 1;
  starts_[i] = static_cast<std::uint32_t>(start);
}

void Fields::DropFront(std::size_t count) {
  starts_.erase(starts_.begin(),
                starts_.begin() + static_cast<std::ptrdiff_t>(count));
}
