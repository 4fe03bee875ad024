// Micro-benchmarks of the per-row costs: reading a depth, writing a depth,
// reading and taking a data line apart, and whole rows written to /dev/null,
// so that only the row path is timed.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert/data_line.h"
#include "convert/resample.h"
#include "convert/standard_grid.h"
#include "convert/table_input.h"
#include "convert/well_state.h"
#include "io/disk_file.h"
#include "io/line_reader.h"
#include "text/number.h"
#include "text/string.h"

namespace {

void BM_ToDouble(benchmark::State& state) {
  const String text("2345.67");
  for (auto _ : state) benchmark::DoNotOptimize(text.ToDouble());
}
BENCHMARK(BM_ToDouble);

void BM_FromDouble(benchmark::State& state) {
  String text;
  double depth = 1234.5;
  for (auto _ : state) {
    text.FromDouble(depth);
    benchmark::DoNotOptimize(text.GetText());
    depth += 0.1;
  }
}
BENCHMARK(BM_FromDouble);

// The two ways to format a depth, on their own.
void BM_SnprintfFixed(benchmark::State& state) {
  char text[64];
  double depth = 1234.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::snprintf(text, sizeof text, "%f", depth));
    depth += 0.1;
  }
}
BENCHMARK(BM_SnprintfFixed);

void BM_ToCharsFixed(benchmark::State& state) {
  char text[64];
  double depth = 1234.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::to_chars(text, text + sizeof text, depth,
                                           std::chars_format::fixed, 6));
    depth += 0.1;
  }
}
BENCHMARK(BM_ToCharsFixed);

void BM_FormatDepth(benchmark::State& state) {
  char text[kMaxDepthText];
  double depth = 1234.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatDepth(depth, text));
    depth += 0.1;
  }
}
BENCHMARK(BM_FormatDepth);

// The formatter of the row loop, which keeps the whole metres of the row
// before.
void BM_DepthFormatter(benchmark::State& state) {
  char text[kMaxDepthText];
  DepthFormatter formatter;
  double depth = 1234.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(formatter.Format(depth, text));
    depth += 0.1;
  }
}
BENCHMARK(BM_DepthFormatter);

// Opens |file| on /dev/null, where the benchmarks' rows go; false, with the
// benchmark skipped, when it cannot be had.
bool OpenNullDevice(DiskFile& file, benchmark::State& state) {
  file.SetName("/dev/null");
  if (file.OpenWrite(false)) return true;
  state.SkipWithError("cannot open /dev/null");
  return false;
}

// Rows of one data line, written to /dev/null: 1,000 interval rows and the
// interval end row, or (with a gap before the line) 1,000 gap rows too.
void Rows(benchmark::State& state, const char* data_line, long rows_per_line) {
  DiskFile file;
  if (!OpenNullDevice(file, state)) return;
  const String null_row_tail("0   -9999.0  -9999.0  -9999.0  -9999.0  \n");
  DataLine line;
  std::string err;
  if (!ParseDataLine(String(data_line), 4, 0.1, &line, &err)) {
    state.SkipWithError(err.c_str());
    return;
  }
  BlockWriter rows;
  rows.SetFile(&file);
  WellState well;
  for (auto _ : state) {
    // A well with no row yet, so that every row is written (a row not
    // deeper than the last one would be dropped instead).
    well.has_row = false;
    well.line_count = 1;
    well.bottom = 1000.0;
    well.zone_text.Assign("Sand_1");
    well.interval_row_tail.Assign("1      0.213   1234.5   0.456   0.123\n");
    ResampleLine(line, well, rows, 0.1, null_row_tail);
  }
  state.SetItemsProcessed(state.iterations() * rows_per_line);
}

// Taking one data line apart: split, checked, depths read.
void BM_ParseDataLine(benchmark::State& state) {
  const String text("W-17 1000 1100 Sand_2 0.213 1234.5 0.456 0.123\n");
  DataLine line;
  std::string err;
  for (auto _ : state)
    benchmark::DoNotOptimize(ParseDataLine(text, 4, 0.1, &line, &err));
}
BENCHMARK(BM_ParseDataLine);

// The header of a whitespace table of four attribute columns.
TableHeader BenchHeader() {
  TableHeader header;
  std::string err;
  ParseHeaderLine(String("WELL TOP BOTTOM ZONE PORO PERM SW VSH"), &header,
                  &err);
  header.column_count = 8;
  return header;
}

// A line of a whitespace table as the conversion takes it apart: one record
// and one set of fields serve every line.
void BM_TakeApartLine(benchmark::State& state) {
  const TableHeader header = BenchHeader();
  std::string err;
  const String text("W-17 1000.25 1000.45 Sand_2 0.213 1234.5 0.456 0.123\n");
  std::optional<DelimitedTable> delimited;
  DataLine line;
  // The reader tells a line's length as it finds the line.
  const auto length = static_cast<std::size_t>(text.Length());
  for (auto _ : state)
    benchmark::DoNotOptimize(
        TakeApart(text, length, header, delimited, 0.1, &line, &err));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TakeApartLine);

// One thin interval's line after another in a well (0.2 m at step 0.1): the
// line taken apart and its two rows and end row made, as in a table of
// core-scale facies.
void BM_ThinIntervalLines(benchmark::State& state) {
  DiskFile file;
  if (!OpenNullDevice(file, state)) return;
  const TableHeader header = BenchHeader();
  std::string err;
  const String null_row_tail("0   -9999.0  -9999.0  -9999.0  -9999.0  \n");
  std::optional<DelimitedTable> delimited;
  DataLine line;
  // A well of 5,000 such lines, converted again and again.
  std::vector<String> texts;
  std::vector<std::size_t> lengths;
  for (int i = 0; i < 5000; ++i) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "W-17 %.1f %.1f Sand_2 0.213 1234.5 0.456 0.123\n",
                  1000.0 + 0.2 * i, 1000.2 + 0.2 * i);
    texts.emplace_back(text);
    lengths.push_back(std::strlen(text));
  }
  BlockWriter rows;
  rows.SetFile(&file);
  WellState well;
  std::size_t next = 0;
  for (auto _ : state) {
    if (next == texts.size()) {
      next = 0;
      well = WellState();
    }
    TakeApart(texts[next], lengths[next], header, delimited, 0.1, &line, &err);
    ++next;
    ResampleLine(line, well, rows, 0.1, null_row_tail);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ThinIntervalLines);

// Lines of a table read from a file in the page cache, as the conversion
// reads them: 100,000 lines of 57 bytes, like the thin table's.
void BM_ReadLines(benchmark::State& state) {
  char path[] = "/tmp/zone2las-bench-XXXXXX";
  const int descriptor = mkstemp(path);
  if (descriptor < 0) {
    state.SkipWithError("cannot make a scratch file");
    return;
  }
  std::FILE* out = fdopen(descriptor, "wb");
  constexpr int kLines = 100000;
  for (int i = 0; i < kLines; ++i)
    std::fprintf(out, "BW-%05d %7.2f %7.2f Marl_1 0.155 893.65 0.332 0.228\n",
                 i % 200, 1000.0 + i * 0.01, 1000.2 + i * 0.01);
  std::fclose(out);
  String line;
  std::string err;
  for (auto _ : state) {
    DiskFile file(path);
    if (!file.OpenRead(false)) break;
    LineReader reader(file);
    while (reader.Next(&line, &err) == LineReader::Status::kText)
      benchmark::DoNotOptimize(line.GetText());
  }
  std::remove(path);
  state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(BM_ReadLines);

// Rows of a standard file's grid, 1,001 a call, to /dev/null.
void BM_GridRows(benchmark::State& state) {
  DiskFile file;
  if (!OpenNullDevice(file, state)) return;
  BlockWriter rows;
  rows.SetFile(&file);
  const std::string row_end = "   3   1   0.213   1234.5   0.456   0.123\n";
  GridRows grid;
  grid.first = 10000;
  grid.last = 11000;
  for (auto _ : state) WriteGridRows(grid, 100000, row_end, rows);
  state.SetItemsProcessed(state.iterations() * 1001);
}
BENCHMARK(BM_GridRows);

void BM_IntervalRows(benchmark::State& state) {
  Rows(state, "W 1000 1100 Sand_2 0.213 1234.5 0.456 0.123", 1001);
}
BENCHMARK(BM_IntervalRows);

void BM_GapAndIntervalRows(benchmark::State& state) {
  Rows(state, "W 1100 1200 Sand_2 0.213 1234.5 0.456 0.123", 2002);
}
BENCHMARK(BM_GapAndIntervalRows);

}  // namespace

BENCHMARK_MAIN();
