// The program on many generated tables, checked against a model of the rules
// of its own, written apart from the program: depths are read from their
// digits into whole millionths of a metre, compared on whole millimetres
// rounded up, and every row is placed by exact integer arithmetic. Each file
// must hold exactly the model's rows, exactly the lines the model refuses
// must be reported, and a table whose lines come in any order must give the
// files of its sorted twin: the same lines sorted by well (in the order the
// wells first appear) and by top, each well spelt one way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/random.h"
#include "tests/scratch.h"

namespace {

// A depth in whole millionths of a metre.
using Micro = std::int64_t;

constexpr Micro kMetre = 1000000;
constexpr Micro kMillimetre = 1000;
// The lead-in above a well's first top, and the offset of the rows that end
// a lead-in, a gap or an interval.
constexpr Micro kLeadIn = 2 * kMetre;
constexpr Micro kEndOffset = 10 * kMillimetre;

// A plain decimal ("-12.5", ".75", "100") with at most six decimals.
Micro ReadDepth(const std::string& text) {
  std::size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative || (!text.empty() && text[0] == '+')) ++at;
  Micro value = 0;
  int decimals = -1;
  for (; at < text.size(); ++at) {
    if (text[at] == '.') {
      decimals = 0;
      continue;
    }
    if (decimals >= 6) continue;  // zeros past the millionths
    value = value * 10 + (text[at] - '0');
    if (decimals >= 0) ++decimals;
  }
  for (int d = decimals < 0 ? 0 : decimals; d < 6; ++d) value *= 10;
  return negative ? -value : value;
}

// The depth key: whole millimetres, rounded up.
Micro Key(Micro depth) {
  return depth >= 0 ? (depth + kMillimetre - 1) / kMillimetre
                    : -(-depth / kMillimetre);
}

// Six decimals, as the rows print a depth.
std::string Printed(Micro depth) {
  const Micro magnitude = depth < 0 ? -depth : depth;
  char text[64];
  std::snprintf(text, sizeof text, "%s%lld.%06lld", depth < 0 ? "-" : "",
                static_cast<long long>(magnitude / kMetre),
                static_cast<long long>(magnitude % kMetre));
  return text;
}

// A depth as a table writes it: no trailing zeros, or now and then one or
// two ("100.50", "7.0"), which name the same depth.
std::string DepthText(Micro depth, Random& random) {
  std::string text = Printed(depth);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  if (random.OneIn(8)) {
    if (text.find('.') == std::string::npos) text += '.';
    text.append(static_cast<std::size_t>(random.Between(1, 2)), '0');
  }
  return text;
}

struct Line {
  int well = 0;          // which well, from 0
  std::string spelling;  // the well's name as this line writes it
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

// |depth|, moved off the millimetre: no row and no line of a generated
// table falls on the edge of a depth key, where the rounding of the
// program's binary arithmetic decides.
Micro OffTheEdge(Micro depth) {
  return depth % kMillimetre == 0 ? depth + 1 : depth;
}

// "AZ2" with each letter in either case: names that differ only in the case
// of their letters, the first and the last letter here, are one well.
std::string Spelling(int well, bool mixed_case, Random& random) {
  std::string name = "AZ" + std::to_string(well + 1);
  if (mixed_case) {
    for (std::size_t i = 0; i < 2; ++i) {
      if (random.OneIn(2)) name[i] = static_cast<char>(name[i] - 'A' + 'a');
    }
  }
  return name;
}

// A table of one to three wells, every depth a fraction of a millimetre off
// the millimetre.
Table MakeTable(Random& random) {
  static const char* const kSteps[] = {"0.001", "0.005", "0.01", "0.02",
                                       "0.05",  "0.07",  "0.1",  "0.125",
                                       "0.25",  "0.3",   "0.5",  "1"};
  Table table;
  table.step = kSteps[random.Between(0, 11)];
  // Half the tables are tidy, as most real ones are: depths a whole number
  // of decimetres apart and a step that divides them.
  const bool tidy = random.OneIn(2);
  if (tidy) table.step = kSteps[random.Between(4, 6)];
  const Micro step = ReadDepth(table.step);
  const bool fine = step < 10 * kMillimetre;
  table.attributes = static_cast<int>(random.Between(0, 2));
  table.crlf = random.OneIn(3);
  const bool mixed_case = random.OneIn(3);
  std::vector<std::vector<Line>> wells(
      static_cast<std::size_t>(random.Between(1, 3)));
  int zone = 0;
  const auto mm = [&random](long low, long high) {
    return kMillimetre * random.Between(low, high);
  };
  for (std::size_t w = 0; w < wells.size(); ++w) {
    Micro depth = mm(-2000, 3000000);
    if (tidy || random.OneIn(2)) depth -= depth % (100 * kMillimetre);
    depth += random.Between(1, kMillimetre - 1);
    const long lines = random.Between(1, 6);
    for (long i = 0; i < lines; ++i) {
      Micro thickness = 0;
      if (tidy) {
        depth +=
            100 * kMillimetre * random.Between(0, 1) * random.Between(0, 30);
        thickness = 100 * kMillimetre * random.Between(1, 40);
      } else {
        if (i > 0) {
          switch (random.Between(0, 7)) {
            case 0:
            case 1:
              break;  // contiguous
            case 2:
              depth += mm(1, 9);  // a gap thinner than 1 cm
              break;
            case 3:
              depth += mm(10, 400);
              break;
            case 4:
              depth += mm(400, fine ? 1500 : 6000);
              break;
            case 5:  // out of order: an overlap or a well going upward
              if (random.OneIn(3)) depth -= mm(1, 3000);
              break;
            case 6:  // a fraction of a millimetre off the bottom above
              depth += 100 * random.Between(-9, 9);
              break;
            case 7:  // off the millimetre
              depth += random.Between(1, 999);
              break;
          }
        }
        switch (random.Between(0, 6)) {
          case 0:
            thickness = mm(1, 9);
            break;
          case 1:
            thickness = mm(10, 300);
            break;
          case 5:  // bottom at or above top, now and then
            thickness = random.OneIn(4) ? -mm(0, 500) : kMetre;
            break;
          case 6: {
            // The last row of the interval lies 0.01 m above the bottom, or
            // just short of it or just past it.
            static const Micro kOff[] = {-1000, -100, -1, 0, 0, 1, 100, 1000};
            thickness = step * random.Between(0, 20) + kEndOffset +
                        kOff[random.Between(0, 7)];
            break;
          }
          default:
            thickness = mm(300, fine ? 1200 : 8000);
            break;
        }
      }
      Line line;
      line.well = static_cast<int>(w);
      line.spelling = Spelling(line.well, mixed_case, random);
      line.top = DepthText(OffTheEdge(depth), random);
      line.bottom = DepthText(OffTheEdge(depth + thickness), random);
      line.zone = "Z" + std::to_string(++zone);
      for (int a = 0; a < table.attributes; ++a)
        line.values.push_back(std::to_string(random.Between(0, 999)));
      wells[w].push_back(line);
      if (thickness > 0) depth += thickness;
    }
    // A well written from the bottom up.
    if (random.OneIn(5)) std::reverse(wells[w].begin(), wells[w].end());
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
    text +=
        line.spelling + "\t" + line.top + "  " + line.bottom + " " + line.zone;
    for (const std::string& value : line.values) text += " " + value;
    text += end;
  }
  return text;
}

bool RefusedOnItsOwn(const Line& line) {
  return Key(ReadDepth(line.bottom)) <= Key(ReadDepth(line.top));
}

// The name of each well's file and WELL line: the spelling of its first
// line whose bottom lies below its top.
std::map<int, std::string> WellNames(const Table& table) {
  std::map<int, std::string> names;
  for (const Line& line : table.lines) {
    if (!RefusedOnItsOwn(line)) names.emplace(line.well, line.spelling);
  }
  return names;
}

// The lines of each well that its file holds, in the order of its rows, and
// in |refused| the lines that are refused: a bottom not below its top, and,
// once a well's other lines are stably sorted by top, a top above the bottom
// of the line before it.
std::map<int, std::vector<const Line*>> AcceptedLines(const Table& table,
                                                      std::set<int>* refused) {
  std::map<int, std::vector<const Line*>> lines_of;
  for (const Line& line : table.lines) {
    if (RefusedOnItsOwn(line))
      refused->insert(line.number);
    else
      lines_of[line.well].push_back(&line);
  }
  for (auto& [well, lines] : lines_of) {
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Line* a, const Line* b) {
                       return Key(ReadDepth(a->top)) < Key(ReadDepth(b->top));
                     });
    std::vector<const Line*> accepted;
    for (const Line* line : lines) {
      if (!accepted.empty() &&
          Key(ReadDepth(line->top)) < Key(ReadDepth(accepted.back()->bottom))) {
        refused->insert(line->number);
        continue;
      }
      accepted.push_back(line);
    }
    lines = accepted;
  }
  return lines_of;
}

// The data rows of one file: a row that would not print deeper than the
// row before it is left out.
struct ModelRows {
  std::string text;
  Micro last = 0;
  bool has_row = false;
  int dropped = 0;

  bool Row(Micro depth, const std::string& row_end) {
    if (has_row && depth <= last) {
      ++dropped;
      return false;
    }
    text += Printed(depth) + row_end;
    last = depth;
    has_row = true;
    return true;
  }

  // Rows every step from |depth| while they lie above |top| in whole
  // millimetres and above the row 0.01 m over it, then that row.
  void UpToTop(Micro depth, Micro step, Micro top, const std::string& row_end) {
    for (; Key(depth) < Key(top) && depth < top - kEndOffset; depth += step)
      Row(depth, row_end);
    Row(top - kEndOffset, row_end);
  }
};

// The rows of one well's accepted lines; the first and the last row's
// depths in |strt| and |stop|.
ModelRows WellRows(const std::vector<const Line*>& lines, Micro step,
                   int attributes, Micro* strt, Micro* stop) {
  std::string null_tail = "0   ";
  for (int a = 0; a < attributes; ++a) null_tail += "-9999.0  ";
  null_tail += "\n";
  ModelRows rows;
  std::string zone, interval_end;
  Micro bottom = 0, last_sample = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = *lines[i];
    const Micro top = ReadDepth(line.top);
    if (i == 0) {
      *strt = top - kLeadIn;
      rows.UpToTop(top - kLeadIn, step, top, "    0   " + null_tail);
    } else if (Key(bottom) != Key(top)) {
      // A gap: a row at the bottom above with its interval's values, then
      // the interval's zone with nulls.
      rows.Row(bottom, interval_end);
      rows.UpToTop(bottom + step, step, top, "   " + zone + "   " + null_tail);
    }
    bottom = ReadDepth(line.bottom);
    zone = line.zone;
    interval_end = "   " + zone + "   1   ";
    for (const std::string& value : line.values) interval_end += "   " + value;
    interval_end += "\n";
    // Every step from the top while the row lies at least 0.01 m above the
    // bottom, then the end row 0.01 m above the first sample past them,
    // kept above the bottom.
    const Micro last_row_key = Key(bottom) - kEndOffset / kMillimetre;
    bool has_row = false;
    Micro sample = top;
    for (; Key(sample) <= last_row_key; sample += step)
      has_row = rows.Row(sample, interval_end) || has_row;
    if (has_row) {
      Micro end = sample - kEndOffset;
      if (Key(end) >= Key(bottom)) end = bottom - kEndOffset;
      rows.Row(end, interval_end);
    }
    last_sample = std::min(sample, bottom);
  }
  rows.Row(last_sample, interval_end);
  *stop = rows.last;
  return rows;
}

// A depth printed as "-0.000000" is the depth 0.
std::string WithPlainZeros(std::string text) {
  for (std::size_t at = 0;
       (at = text.find("-0.000000 ", at)) != std::string::npos;) {
    if (at == 0 || text[at - 1] == '\n')
      text.erase(at, 1);
    else
      ++at;
  }
  return text;
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

// The table with its lines sorted by well, in the order the wells first
// appear, and stably by top; each well spelt as its file is named.
Table SortedTwin(const Table& table) {
  const std::map<int, std::string> names = WellNames(table);
  std::map<int, std::size_t> first;
  for (std::size_t i = 0; i < table.lines.size(); ++i)
    first.emplace(table.lines[i].well, i);
  Table twin = table;
  std::stable_sort(twin.lines.begin(), twin.lines.end(),
                   [&](const Line& a, const Line& b) {
                     if (a.well != b.well)
                       return first.at(a.well) < first.at(b.well);
                     return Key(ReadDepth(a.top)) < Key(ReadDepth(b.top));
                   });
  for (Line& line : twin.lines) {
    const auto name = names.find(line.well);
    if (name != names.end()) line.spelling = name->second;
  }
  return twin;
}

// Whether some line of a well lies above the well's line before it in the
// table.
bool OutOfOrder(const Table& table) {
  std::map<int, Micro> previous_top;
  for (const Line& line : table.lines) {
    const Micro top = ReadDepth(line.top);
    const auto [at, first] = previous_top.emplace(line.well, top);
    if (!first && top < at->second) return true;
    at->second = top;
  }
  return false;
}

// Converts |tables| generated tables and their sorted twins, and checks
// every file against the model.
void CheckGeneratedTables(int tables, std::uint64_t seed) {
  Random random(seed);
  int with_refusals = 0, out_of_order = 0, with_dropped_rows = 0;
  for (int t = 0; t < tables; ++t) {
    const Table table = MakeTable(random);
    const std::string text = TableText(table);
    SCOPED_TRACE("step " + table.step + ", table:\n" + text);
    ScratchDir dir;
    dir.Write("zones.txt", text);
    const ProgramResult result = RunProgram(dir, {"zones.txt", table.step});

    std::set<int> refused;
    const std::map<int, std::vector<const Line*>> lines_of =
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

    const std::map<int, std::string> names = WellNames(table);
    std::vector<std::string> expected_files = {"zones.txt"};
    for (const auto& well : lines_of)
      expected_files.push_back(names.at(well.first) + ".las");
    std::sort(expected_files.begin(), expected_files.end());
    ASSERT_EQ(expected_files, dir.List());
    for (const auto& [well, lines] : lines_of) {
      const std::string name = names.at(well);
      SCOPED_TRACE(name);
      const std::string las = dir.Read(name + ".las");
      const std::size_t data = las.find("~Ascii\n");
      ASSERT_NE(std::string::npos, data);
      Micro strt = 0, stop = 0;
      const ModelRows rows = WellRows(lines, ReadDepth(table.step),
                                      table.attributes, &strt, &stop);
      ASSERT_EQ(rows.text, WithPlainZeros(las.substr(data + 7)));
      EXPECT_EQ(Printed(strt), HeaderValue(las, "STRT.M"));
      EXPECT_EQ(Printed(stop), HeaderValue(las, "STOP.M"));
      EXPECT_EQ(name, HeaderValue(las, "WELL."));
      if (rows.dropped > 0) ++with_dropped_rows;
    }

    const Table twin = SortedTwin(table);
    SCOPED_TRACE("sorted twin:\n" + TableText(twin));
    ScratchDir twin_dir;
    twin_dir.Write("zones.txt", TableText(twin));
    const ProgramResult twin_result =
        RunProgram(twin_dir, {"zones.txt", table.step});
    ASSERT_EQ(result.status, twin_result.status) << twin_result.err;
    ASSERT_EQ(dir.List(), twin_dir.List());
    for (const std::string& file : dir.List()) {
      if (file != "zones.txt") {
        EXPECT_EQ(dir.Read(file), twin_dir.Read(file)) << file;
      }
    }

    if (!refused.empty()) ++with_refusals;
    if (OutOfOrder(table)) ++out_of_order;
    if (::testing::Test::HasFailure()) return;
  }
  // The generator must reach each of these often.
  EXPECT_GT(with_refusals, tables / 10);
  EXPECT_GT(out_of_order, tables / 10);
  EXPECT_GT(with_dropped_rows, tables / 10);
}

TEST(DepthRows, FollowTheRulesForGeneratedTables) {
  // A Windows program runs under an emulator whose start is slow.
  CheckGeneratedTables(ProgramIsWindows() ? 20 : 200, 20261211);
}

}  // namespace
