// The program on many generated tables, checked as a LAS reader would: the
// depth index strictly increases, rows that claim an interval lie inside it
// and carry its values, STRT and STOP are the first and last rows, and exactly
// the lines that overlap once each well's lines are sorted by top are
// refused. A file whose rows already met all of that under the plain
// resampling rules keeps its bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "convert/resample.h"
#include "tests/random.h"
#include "tests/scratch.h"
#include "text/string.h"

namespace {

double Read(const std::string& text) { return String(text.c_str()).ToDouble(); }

std::string Printf(double depth) {
  char text[400];
  std::snprintf(text, sizeof text, "%f", depth);
  return text;
}

// A depth text in millionths of a metre; "-0.000000" is 0.
std::int64_t Millionths(const std::string& text) {
  std::int64_t value = 0;
  for (char c : text) {
    if (c >= '0' && c <= '9') value = value * 10 + (c - '0');
  }
  return !text.empty() && text[0] == '-' ? -value : value;
}

// Millimetres as a table writes them: "12", "12.5", "12.345".
std::string DepthText(long millimetres) {
  char text[64];
  std::snprintf(text, sizeof text, "%s%ld.%03ld", millimetres < 0 ? "-" : "",
                (millimetres < 0 ? -millimetres : millimetres) / 1000,
                (millimetres < 0 ? -millimetres : millimetres) % 1000);
  std::string result = text;
  while (result.back() == '0') result.pop_back();
  if (result.back() == '.') result.pop_back();
  return result;
}

struct Line {
  std::string well;  // the name of its file, without ".las"
  std::string top, bottom, zone;
  std::vector<std::string> values;
  int number = 0;  // in the table
};

struct Table {
  std::string step;
  int attributes = 0;
  bool crlf = false;
  std::vector<Line> lines;
};

Table MakeTable(Random& random) {
  static const char* const kSteps[] = {"0.001", "0.005", "0.01", "0.02",
                                       "0.05",  "0.07",  "0.1",  "0.125",
                                       "0.25",  "0.3",   "0.5",  "1"};
  Table table;
  table.step = kSteps[random.Between(0, 11)];
  // Half the tables are tidy, as most real ones are: depths on whole
  // decimetres and a step that divides them.
  const bool tidy = random.OneIn(2);
  if (tidy) table.step = kSteps[random.Between(4, 6)];
  const bool fine = Read(table.step) < 0.01;
  table.attributes = static_cast<int>(random.Between(0, 2));
  table.crlf = random.OneIn(3);
  std::vector<std::vector<Line>> wells(
      static_cast<std::size_t>(random.Between(1, 3)));
  int zone = 0;
  for (std::size_t w = 0; w < wells.size(); ++w) {
    long depth = random.Between(-2000, 3000000);
    if (random.OneIn(2)) depth -= depth % 100;  // on a decimetre
    if (tidy) depth -= depth % 100;
    const long lines = random.Between(1, 6);
    for (long i = 0; i < lines; ++i) {
      if (tidy) {
        Line line;
        line.well = "W" + std::to_string(w + 1);
        depth += 100 * random.Between(0, 1) * random.Between(0, 30);
        line.top = DepthText(depth);
        depth += 100 * random.Between(1, 40);
        line.bottom = DepthText(depth);
        line.zone = "Z" + std::to_string(++zone);
        for (int a = 0; a < table.attributes; ++a)
          line.values.push_back(std::to_string(random.Between(0, 999)));
        wells[w].push_back(line);
        continue;
      }
      if (i > 0) {
        switch (random.Between(0, 5)) {
          case 0:
          case 1:
            break;  // contiguous
          case 2:
            depth += random.Between(1, 9);
            break;  // thinner than 1 cm
          case 3:
            depth += random.Between(10, 400);
            break;
          case 4:
            depth += random.Between(400, fine ? 1500 : 6000);
            break;
          case 5:  // out of order: an overlap or a well going upward
            if (random.OneIn(3)) depth -= random.Between(1, 3000);
            break;
        }
      }
      long thickness;
      switch (random.Between(0, 5)) {
        case 0:
          thickness = random.Between(1, 9);
          break;
        case 1:
          thickness = random.Between(10, 300);
          break;
        case 5:  // bottom at or above top, now and then
          thickness = random.OneIn(4) ? -random.Between(0, 500) : 1000;
          break;
        default:
          thickness = random.Between(300, fine ? 1200 : 8000);
          break;
      }
      Line line;
      line.well = "W" + std::to_string(w + 1);
      line.top = DepthText(depth);
      line.bottom = DepthText(depth + thickness);
      line.zone = "Z" + std::to_string(++zone);
      for (int a = 0; a < table.attributes; ++a)
        line.values.push_back(std::to_string(random.Between(0, 999)));
      wells[w].push_back(line);
      if (thickness > 0) depth += thickness;
    }
  }
  // Wells one after the other, or interleaved: each well's own lines stay
  // in their order, and wells come back.
  const bool interleave = random.OneIn(3);
  std::vector<std::size_t> next(wells.size(), 0);
  std::size_t current = 0;
  for (;;) {
    std::vector<std::size_t> open;
    for (std::size_t w = 0; w < wells.size(); ++w) {
      if (next[w] < wells[w].size()) open.push_back(w);
    }
    if (open.empty()) break;
    if (next[current] >= wells[current].size() || interleave)
      current = open[static_cast<std::size_t>(
          random.Between(0, static_cast<long>(open.size()) - 1))];
    table.lines.push_back(wells[current][next[current]++]);
  }
  for (std::size_t i = 0; i < table.lines.size(); ++i)
    table.lines[i].number = static_cast<int>(i) + 2;
  return table;
}

std::string TableText(const Table& table) {
  const std::string end = table.crlf ? "\r\n" : "\n";
  std::string text = "WELL TOP BOTTOM ZONE";
  for (int a = 0; a < table.attributes; ++a)
    text += " A" + std::to_string(a + 1);
  text += end;
  for (const Line& line : table.lines) {
    text += line.well + "\t" + line.top + "  " + line.bottom + " " + line.zone;
    for (const std::string& value : line.values) text += " " + value;
    text += end;
  }
  return text;
}

// The lines of each well that its file must hold, in the order of its rows,
// and in |refused| the lines that must be refused: a bottom not below its
// top, and, once a well's other lines are stably sorted by top, a top above
// the bottom of the line before it.
std::map<std::string, std::vector<const Line*>> AcceptedLines(
    const Table& table, std::set<int>* refused) {
  std::map<std::string, std::vector<const Line*>> lines_of;
  for (const Line& line : table.lines) {
    if (DepthKey(Read(line.bottom)) <= DepthKey(Read(line.top)))
      refused->insert(line.number);
    else
      lines_of[line.well].push_back(&line);
  }
  for (auto& [well, lines] : lines_of) {
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line* a, const Line* b) {
                       return DepthKey(Read(a->top)) < DepthKey(Read(b->top));
                     });
    std::vector<const Line*> accepted;
    for (const Line* line : lines) {
      if (!accepted.empty() &&
          DepthKey(Read(line->top)) < DepthKey(Read(accepted.back()->bottom))) {
        refused->insert(line->number);
        continue;
      }
      accepted.push_back(line);
    }
    lines = accepted;
  }
  return lines_of;
}

// The rows of one well under the plain resampling rules, with no row
// dropped or moved: the reference that a valid file must still match.
std::string PlainRows(const std::vector<const Line*>& lines, double step,
                      int attributes, std::string* strt, std::string* stop) {
  std::string null_tail = "0   ";
  for (int a = 0; a < attributes; ++a) null_tail += "-9999.0  ";
  null_tail += "\n";
  std::string rows;
  std::string zone, tail;
  double previous_bottom = 0.0, bottom = 0.0, last = 0.0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = *lines[i];
    const double top = Read(line.top);
    previous_bottom = bottom;
    bottom = Read(line.bottom);
    if (i == 0) {
      double depth = top - 2.0;
      *strt = Printf(depth);
      for (; DepthKey(depth) < DepthKey(top); depth = depth + step)
        rows += Printf(depth) + "    0   " + null_tail;
      rows += Printf(top - 0.01) + "    0   " + null_tail;
    } else if (DepthKey(previous_bottom) != DepthKey(top)) {
      rows += Printf(previous_bottom) + "   " + zone + "   " + tail;
      for (double depth = previous_bottom + step;
           DepthKey(depth) < DepthKey(top); depth = depth + step)
        rows += Printf(depth) + "   " + zone + "   " + null_tail;
      rows += Printf(top - 0.01) + "   " + zone + "   " + null_tail;
    }
    zone = line.zone;
    tail = "1   ";
    for (const std::string& value : line.values) tail += "   " + value;
    tail += "\n";
    double depth = top;
    for (; DepthKey(depth) <= DepthKey(bottom - 0.01); depth = depth + step)
      rows += Printf(depth) + "   " + zone + "   " + tail;
    rows += Printf(depth - 0.01) + "   " + zone + "   " + tail;
    last = depth;
  }
  rows += Printf(last) + "   " + zone + "   " + tail;
  *stop = Printf(last);
  return rows;
}

struct Row {
  std::string depth, zone, definterv;
  std::vector<std::string> values;
};

std::vector<Row> ParseRows(const std::string& rows_text) {
  std::vector<Row> rows;
  std::istringstream in(rows_text);
  std::string text;
  while (std::getline(in, text)) {
    std::istringstream fields(text);
    Row row;
    fields >> row.depth >> row.zone >> row.definterv;
    std::string value;
    while (fields >> value) row.values.push_back(value);
    rows.push_back(row);
  }
  return rows;
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first);
}

// The value of a header line ("STRT.M   98.000000 :").
std::string HeaderValue(const std::string& las, const std::string& mnemonic) {
  const std::size_t at = las.find("\n" + mnemonic);
  if (at == std::string::npos) return "<none>";
  const std::size_t start = at + 1 + mnemonic.size();
  return Trimmed(las.substr(start, las.find(" :", start) - start));
}

// Checks one file against the accepted lines of its well; returns whether the
// plain rules' rows were valid, and in that case that the file kept them.
void CheckWell(const std::string& las, const std::vector<const Line*>& lines,
               const Table& table, int* unchanged) {
  const std::string marker = "~Ascii\n";
  const std::size_t data = las.find(marker);
  ASSERT_NE(std::string::npos, data);
  const std::string rows_text = las.substr(data + marker.size());
  const std::vector<Row> rows = ParseRows(rows_text);
  ASSERT_FALSE(rows.empty());

  std::map<std::string, const Line*> by_zone;
  for (const Line* line : lines) by_zone[line->zone] = line;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    if (i > 0) {
      ASSERT_GT(Millionths(row.depth), Millionths(rows[i - 1].depth))
          << "row " << i << " does not lie below the row before it";
    }
    ASSERT_EQ(static_cast<std::size_t>(table.attributes), row.values.size());
    if (row.definterv != "1") continue;
    const auto line = by_zone.find(row.zone);
    ASSERT_NE(by_zone.end(), line) << row.depth << " " << row.zone;
    EXPECT_GE(Millionths(row.depth),
              Millionths(Printf(Read(line->second->top))))
        << row.depth << " above its interval " << row.zone;
    EXPECT_LE(Millionths(row.depth),
              Millionths(Printf(Read(line->second->bottom))))
        << row.depth << " below its interval " << row.zone;
    EXPECT_EQ(line->second->values, row.values);
  }
  EXPECT_EQ(rows.front().depth, HeaderValue(las, "STRT.M"));
  EXPECT_EQ(rows.back().depth, HeaderValue(las, "STOP.M"));

  // The plain rules' rows, where they are valid, are the file's rows.
  std::string strt, stop;
  const std::string plain =
      PlainRows(lines, Read(table.step), table.attributes, &strt, &stop);
  const std::vector<Row> plain_rows = ParseRows(plain);
  for (std::size_t i = 1; i < plain_rows.size(); ++i) {
    if (Millionths(plain_rows[i].depth) <= Millionths(plain_rows[i - 1].depth))
      return;
  }
  for (const Row& row : plain_rows) {
    if (row.definterv != "1") continue;
    const Line* line = by_zone[row.zone];
    if (Millionths(row.depth) < Millionths(Printf(Read(line->top))) ||
        Millionths(row.depth) > Millionths(Printf(Read(line->bottom))))
      return;
  }
  EXPECT_EQ(plain, rows_text);
  EXPECT_EQ(strt, HeaderValue(las, "STRT.M"));
  EXPECT_EQ(stop, HeaderValue(las, "STOP.M"));
  ++*unchanged;
}

TEST(DepthRows, HoldForGeneratedTables) {
  // A Windows program runs under an emulator whose start is slow.
  const int tables = ProgramIsWindows() ? 40 : 400;
  Random random(20261210);
  int unchanged = 0, wells = 0;
  for (int t = 0; t < tables; ++t) {
    const Table table = MakeTable(random);
    const std::string text = TableText(table);
    SCOPED_TRACE("step " + table.step + ", table:\n" + text);
    ScratchDir dir;
    dir.Write("zones.txt", text);
    const ProgramResult result = RunProgram(dir, {"zones.txt", table.step});

    std::set<int> refused;
    const std::map<std::string, std::vector<const Line*>> lines_of =
        AcceptedLines(table, &refused);
    std::set<int> reported;
    std::istringstream err(result.err);
    std::string message;
    while (std::getline(err, message)) {
      if (message.find(": note: ") != std::string::npos) continue;
      int number = 0;
      ASSERT_EQ(
          1, std::sscanf(message.c_str(), "zone2las: zones.txt:%d:", &number))
          << message;
      reported.insert(number);
    }
    ASSERT_EQ(refused, reported);
    ASSERT_EQ(refused.empty() ? 0 : 1, result.status) << result.err;

    std::vector<std::string> expected_files = {"zones.txt"};
    for (const auto& well : lines_of)
      expected_files.push_back(well.first + ".las");
    std::sort(expected_files.begin(), expected_files.end());
    ASSERT_EQ(expected_files, dir.List());
    for (const auto& well : lines_of) {
      SCOPED_TRACE(well.first);
      CheckWell(dir.Read(well.first + ".las"), well.second, table, &unchanged);
      ++wells;
    }
    if (HasFatalFailure() || HasFailure()) return;
  }
  // The generator must reach both kinds of file.
  EXPECT_GT(unchanged, wells / 10);
  EXPECT_LT(unchanged, wells);
}

}  // namespace
