// The fields of one line of text: their texts one after another in one
// buffer, each ended by a zero byte, and where each starts. A line of a
// million short fields costs its bytes and four more a field, not a text
// object and a heap block each; the buffers of one line serve the next.
#ifndef ZONE2LAS_TEXT_FIELDS_H_
#define ZONE2LAS_TEXT_FIELDS_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

class Fields {
 public:
  std::size_t size() const { return starts_.size(); }
  bool empty() const { return starts_.empty(); }
  // Field |i|'s text, zero-terminated; it holds no zero byte.
  const char* operator[](std::size_t i) const {
    return text_.get() + starts_[i];
  }
  std::size_t Length(std::size_t i) const;

  // No fields; the buffers are kept for the next line.
  void Clear() {
    size_ = 0;
    starts_.clear();
  }
  // A new last field of the |length| bytes at |text| (none of them zero).
  void Add(const char* text, std::size_t length) {
    if (length + 1 > capacity_ - size_) Reserve(size_ + length + 1);
    starts_.push_back(static_cast<std::uint32_t>(size_));
    std::memcpy(text_.get() + size_, text, length);
    size_ += length;
    text_[size_++] = '\0';
  }
  // |length| more bytes at the end of the last field added.
  void Extend(const char* text, std::size_t length);
  // Field |i| becomes a copy of |text| (which lies outside the fields), or
  // the text of field |other|.
  void Replace(std::size_t i, const char* text);
  void Share(std::size_t i, std::size_t other) { starts_[i] = starts_[other]; }
  // Field |i|'s bytes, to be changed in place; SetLength ends the text early.
  char* Mutable(std::size_t i) { return text_.get() + starts_[i]; }
  void SetLength(std::size_t i, std::size_t length) {
    text_[starts_[i] + length] = '\0';
  }

  // Keeps the first |count| fields (no more than there are).
  void Truncate(std::size_t count) { starts_.resize(count); }
  // Leaves out the first |count| fields (no more than there are).
  void DropFront(std::size_t count);
  // A new order of the fields, chosen one by one: Choose appends the old
  // field |i| (a field may be chosen twice, or not at all); Chosen makes the
  // chosen fields the fields.
  void Choose(std::size_t i) { chosen_.push_back(starts_[i]); }
  void Chosen() {
    starts_.swap(chosen_);
    chosen_.clear();
  }

  // Room for fields of |bytes| bytes in all, zero bytes included: exactly
  // that for the first fields, at least twice the room before when it grows.
  void Reserve(std::size_t bytes);

  void Swap(Fields& other) {
    text_.swap(other.text_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    starts_.swap(other.starts_);
    chosen_.swap(other.chosen_);
  }

 private:
  std::unique_ptr<char[]> text_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::vector<std::uint32_t> starts_;
  // The starts chosen so far for a new order; its buffer serves every line.
  std::vector<std::uint32_t> chosen_;
};

#endif  // ZONE2LAS_TEXT_FIELDS_H_
