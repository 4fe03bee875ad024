#include "convert/returning_lines.h"

#include <cstdint>
#include <cstring>

namespace {

struct LineHead {
  long number;
  std::uint32_t length;
};

// About what a well's place in the hash map takes: its node and bucket.
constexpr std::size_t kPlaceBytes = 6 * sizeof(void*);

}  // namespace

void ReturningLines::Keep(long number, const String& line, const void* well) {
  const auto [at, added] = place_.emplace(well, wells_.size());
  if (added) wells_.push_back(WellLines{well, std::string()});
  std::string& lines = wells_[at->second].lines;
  if (lines.empty()) used_ += sizeof(WellLines) + kPlaceBytes;
  const LineHead head{number, static_cast<std::uint32_t>(line.Length())};
  lines.append(reinterpret_cast<const char*>(&head), sizeof(head));
  if (head.length > 0) lines.append(line.GetText(), head.length);
  used_ += sizeof(head) + head.length;
}

void ReturningLines::TakeAll(
    const std::function<void(long, const String&)>& take) {
  String text;
  for (const WellLines& well : wells_) {
    const char* at = well.lines.data();
    const char* const end = at + well.lines.size();
    while (at < end) {
      LineHead head;
      std::memcpy(&head, at, sizeof(head));
      at += sizeof(head);
      text.Assign(at, head.length);
      at += head.length;
      take(head.number, text);
    }
  }
  // A well whose lines came back since the last time keeps its memory for
  // its lines to come; the others give theirs back.
  std::size_t kept = 0;
  for (WellLines& well : wells_) {
    if (well.lines.empty()) {
      place_.erase(well.well);
      continue;
    }
    well.lines.clear();
    place_[well.well] = kept;
    if (&wells_[kept] != &well) wells_[kept] = std::move(well);
    ++kept;
  }
  wells_.resize(kept);
  used_ = 0;
}
