#include "text/fields.h"

#include <cstring>

std::size_t Fields::Length(std::size_t i) const {
  return std::strlen((*this)[i]);
}

void Fields::Add(const char* text, std::size_t length) {
  starts_.push_back(static_cast<std::uint32_t>(text_.size()));
  text_.append(text, length);
  text_.push_back('\0');
}

void Fields::Extend(const char* text, std::size_t length) {
  // The last field's zero byte ends the buffer: it moves after the new bytes.
  text_.pop_back();
  text_.append(text, length);
  text_.push_back('\0');
}

void Fields::Replace(std::size_t i, const char* text) {
  const auto start = static_cast<std::uint32_t>(text_.size());
  text_.append(text);
  text_.push_back('\0');
  starts_[i] = start;
}

void Fields::DropFront(std::size_t count) {
  starts_.erase(starts_.begin(),
                starts_.begin() + static_cast<std::ptrdiff_t>(count));
}

void Fields::Reorder(const std::vector<std::uint32_t>& order) {
  spare_.resize(order.size());
  for (std::size_t k = 0; k < order.size(); ++k) spare_[k] = starts_[order[k]];
  starts_.swap(spare_);
}
