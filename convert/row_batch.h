// RowBatch makes the rows of one data line (or the closing row) in place in
// the blocks that go to the well's file, dropping any row that would not
// print deeper than the row before it.
#ifndef ZONE2LAS_CONVERT_ROW_BATCH_H_
#define ZONE2LAS_CONVERT_ROW_BATCH_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "convert/depth_key.h"
#include "convert/well_state.h"
#include "io/block_writer.h"
#include "text/number.h"

// The rows that ResampleLine or WriteClosingRow write, in order. They reach
// the file through |out|, whose Flush comes before any other use of the
// file (the depth range, the close). A row that would not print deeper than
// the row before it in the file is dropped, so the depth index strictly
// increases.
class RowBatch {
 public:
  // The text that follows the depth in a run of rows is kept assembled when
  // it fits in this many bytes; a longer one is written piece by piece.
  static constexpr std::size_t kRowEndBytes = 4096;

  RowBatch(BlockWriter& out, WellState& well) : out_(out), well_(well) {}
  ~RowBatch() {
    if (!last_row_printed_)
      well_.last_row_millionths = PrintedMillionths(well_.last_row_depth);
  }

  RowBatch(const RowBatch&) = delete;
  RowBatch& operator=(const RowBatch&) = delete;

  // A part of a row end: a text (null for the empty text) and its length,
  // measured here when not given.
  struct Part {
    Part(const char* text)  // NOLINT: a text stands for its part
        : text(text != nullptr ? text : ""), length(std::strlen(this->text)) {}
    Part(const char* text, std::size_t length)
        : text(text != nullptr ? text : ""),
          length(text != nullptr ? length : 0) {}
    const char* text;
    std::size_t length;
  };

  // The text that follows the depth in every row from now on: |parts| in
  // order, at most four parts.
  void SetRowEnd(std::initializer_list<Part> parts);

  // A row: the depth in "%f" notation, then the row end. False when the
  // depth does not print deeper than the last row, and nothing was written.
  bool Row(double depth) { return RowAbove(depth, kNoLimit) == kWritten; }

  // The rows from |depth| by repeated addition of |step| while depth * 1000
  // <= |last_scaled| and they print above |limit| millionths: the lead-in
  // and gap rows, each compared with the row before it.
  void RowsAbove(double depth, double step, double last_scaled,
                 std::int64_t limit);

  // Rows that follow a row written at |depth| - |step|: at |depth| and on by
  // repeated addition of |step| while depth * 1000 <= |last_scaled|. With
  // steps of at least 0.001 m each prints deeper than the one before, so they
  // are not compared. Returns the first depth past them.
  double FollowingRows(double depth, double step, double last_scaled);

  // True once a write to the file has failed: the well will not be published,
  // so no more of its rows are made, and Row writes nothing.
  bool Stopped() const { return out_.Failed(); }

 private:
  // Row ends are copied in blocks of this many bytes, which the compiler
  // turns into a few moves instead of a call; the row end and the room
  // reserved for a row have the slack for the last block.
  static constexpr std::size_t kCopyBlock = 64;
  // The room a row needs besides its row end: the longest depth and the
  // slack of the last copied block.
  static constexpr std::size_t kRowRoom =
      static_cast<std::size_t>(kMaxDepthText) + kCopyBlock;

  enum Outcome { kWritten, kNotDeeper, kAtLimit, kStopped };
  static constexpr std::int64_t kNoLimit = INT64_MAX;

  // A row at |depth| unless it prints at or below |limit| millionths, or not
  // deeper than the last row.
  Outcome RowAbove(double depth, std::int64_t limit) {
    if (out_.Failed()) return kStopped;
    if (!row_end_assembled_) return LongRowAbove(depth, limit);
    char* const row = out_.Reserve(kRowRoom + row_end_length_);
    if (out_.Failed()) return kStopped;
    std::int64_t printed;
    const int depth_length = formatter_.Format(depth, row, &printed);
    if (printed >= limit) return kAtLimit;
    if (!Advances(depth, printed)) return kNotDeeper;
    char* const row_end = row + depth_length;
    for (std::size_t i = 0; i < row_end_length_; i += kCopyBlock)
      std::memcpy(row_end + i, row_end_ + i, kCopyBlock);
    out_.Commit(row_end + row_end_length_);
    return kWritten;
  }

  // True, and the well's last row updated, when |depth|, printed as
  // |printed| millionths, lies below the last row written.
  bool Advances(double depth, std::int64_t printed);

  Outcome LongRowAbove(double depth, std::int64_t limit);

  BlockWriter& out_;
  WellState& well_;
  DepthFormatter formatter_;
  // False while the well's last row has been written without its printed
  // depth being taken.
  bool last_row_printed_ = true;
  // The parts of the row end and their lengths.
  const char* parts_[4] = {};
  std::size_t part_lengths_[4] = {};
  std::size_t part_count_ = 0;
  // The row end, when it fits.
  char row_end_[kRowEndBytes + kCopyBlock];
  std::size_t row_end_length_ = 0;
  bool row_end_assembled_ = false;
};

#endif  // ZONE2LAS_CONVERT_ROW_BATCH_H_
