#include "convert/row_batch.h"

void RowBatch::SetRowEnd(std::initializer_list<Part> parts) {
  part_count_ = 0;
  row_end_length_ = 0;
  row_end_assembled_ = true;
  for (const Part& part : parts) {
    const char* const text = part.text;
    const std::size_t length = part.length;
    parts_[part_count_] = text;
    part_lengths_[part_count_++] = length;
    if (row_end_assembled_ && length <= kRowEndBytes - row_end_length_) {
      std::memcpy(row_end_ + row_end_length_, text, length);
      row_end_length_ += length;
    } else {
      row_end_assembled_ = false;
    }
  }
}

double RowBatch::FollowingRows(double depth, double step, double last_scaled) {
  if (!row_end_assembled_) {
    while (!out_.Failed() && ScaledDepth(depth) <= last_scaled) {
      Row(depth);
      depth = depth + step;
    }
    return depth;
  }
  // The row loop of the program: a depth's text, then the row end copied in
  // whole blocks, with the place of the next row kept in a register.
  bool wrote = false;
  double last = depth;
  const std::size_t row_end_length = row_end_length_;
  const std::size_t row_room = kRowRoom + row_end_length;
  char* row = out_.Reserve(row_room);
  char* limit = out_.Limit();
  while (ScaledDepth(depth) <= last_scaled) {
    if (static_cast<std::size_t>(limit - row) < row_room) {
      out_.Commit(row);
      row = out_.Reserve(row_room);
      limit = out_.Limit();
      if (out_.Failed()) break;
    }
    char* const row_end = row + formatter_.Format(depth, row);
    for (std::size_t i = 0; i < row_end_length; i += kCopyBlock)
      std::memcpy(row_end + i, row_end_ + i, kCopyBlock);
    row = row_end + row_end_length;
    wrote = true;
    last = depth;
    depth = depth + step;
  }
  out_.Commit(row);
  if (wrote) {
    well_.last_row_depth = last;
    last_row_printed_ = false;
  }
  return depth;
}

void RowBatch::RowsAbove(double depth, double step, double last_scaled,
                         std::int64_t limit) {
  while (!out_.Failed() && ScaledDepth(depth) <= last_scaled) {
    if (RowAbove(depth, limit) == kAtLimit) return;
    depth = depth + step;
  }
}

bool RowBatch::Advances(double depth, std::int64_t printed) {
  if (!last_row_printed_) {
    well_.last_row_millionths = PrintedMillionths(well_.last_row_depth);
    last_row_printed_ = true;
  }
  if (well_.has_row && printed <= well_.last_row_millionths) return false;
  well_.has_row = true;
  well_.last_row_depth = depth;
  well_.last_row_millionths = printed;
  return true;
}

// A row whose row end is too long to keep assembled: its pieces are taken
// one after the other.
RowBatch::Outcome RowBatch::LongRowAbove(double depth, std::int64_t limit) {
  char depth_text[kMaxDepthText];
  std::int64_t printed;
  const int depth_length = formatter_.Format(depth, depth_text, &printed);
  if (printed >= limit) return kAtLimit;
  if (!Advances(depth, printed)) return kNotDeeper;
  out_.Append(depth_text, static_cast<std::size_t>(depth_length));
  for (std::size_t i = 0; i < part_count_; ++i)
    out_.Append(parts_[i], part_lengths_[i]);
  return kWritten;
}
