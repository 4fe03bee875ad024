// Writes a realistic zone table for the benchmarks: wells of stacked
// intervals with occasional gaps, depths in centimetres, four attribute
// columns. The same seed and size always give the same bytes, on every
// platform: the generator and every mapping to a range are our own, since
// the standard library's distributions differ between implementations.
//
//   make_zone_table <output> [--wells N] [--intervals N] [--size F] [--seed S]
//                   [--interleave | --reverse | --shuffle] [--thin]
//
// --size multiplies the number of wells (default 200 wells x 60 intervals).
// The same lines in other orders: --interleave by interval number, each
// well's own lines still in depth order, as exports sorted by formation are;
// --reverse each well's lines from the bottom up, as logs listed from the
// deepest interval are; --shuffle every line in a random order of its own
// (the same for the same seed).
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// splitmix64: small, fast, and fully specified.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // A whole number in [low, high].
  std::int64_t Between(std::int64_t low, std::int64_t high) {
    const std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<std::int64_t>(Next() % span);
  }

  // True with probability |percent| / 100.
  bool Chance(int percent) { return Between(1, 100) <= percent; }

 private:
  std::uint64_t state_;
};

// Zones are named after a formation and a unit, like real zonations.
const char* const kFormations[] = {"Sand", "Shale", "Silt",
                                   "Carb", "Coal",  "Marl"};

// |value| in hundredths as a plain decimal: "1012.35", "-0.05", "7".
std::string Centi(std::int64_t value) {
  char text[32];
  const char* sign = value < 0 ? "-" : "";
  const std::int64_t magnitude = value < 0 ? -value : value;
  if (magnitude % 100 == 0)
    std::snprintf(text, sizeof text, "%s%" PRId64, sign, magnitude / 100);
  else
    std::snprintf(text, sizeof text, "%s%" PRId64 ".%02" PRId64, sign,
                  magnitude / 100, magnitude % 100);
  return text;
}

struct Options {
  const char* output = nullptr;
  long wells = 200;
  long intervals = 60;
  double size = 1.0;
  std::uint64_t seed = 1;
  bool interleave = false;
  bool reverse = false;
  bool shuffle = false;
  bool thin = false;
};

bool ParseOptions(int argc, char* argv[], Options* options) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (std::strcmp(arg, "--wells") == 0 && has_value)
      options->wells = std::strtol(argv[++i], nullptr, 10);
    else if (std::strcmp(arg, "--intervals") == 0 && has_value)
      options->intervals = std::strtol(argv[++i], nullptr, 10);
    else if (std::strcmp(arg, "--size") == 0 && has_value)
      options->size = std::strtod(argv[++i], nullptr);
    else if (std::strcmp(arg, "--seed") == 0 && has_value)
      options->seed = std::strtoull(argv[++i], nullptr, 10);
    else if (std::strcmp(arg, "--interleave") == 0)
      options->interleave = true;
    else if (std::strcmp(arg, "--reverse") == 0)
      options->reverse = true;
    else if (std::strcmp(arg, "--shuffle") == 0)
      options->shuffle = true;
    else if (std::strcmp(arg, "--thin") == 0)
      options->thin = true;
    else if (arg[0] != '-' && !options->output)
      options->output = arg;
    else
      return false;
  }
  const int orders = (options->interleave ? 1 : 0) +
                     (options->reverse ? 1 : 0) + (options->shuffle ? 1 : 0);
  return options->output && options->wells > 0 && options->intervals > 0 &&
         options->size > 0.0 && orders <= 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: make_zone_table <output> [--wells N] [--intervals N] "
                 "[--size F] [--seed S] [--interleave | --reverse | "
                 "--shuffle] [--thin]\n");
    return 2;
  }
  const long wells = static_cast<long>(
      static_cast<double>(options.wells) * options.size + 0.5);
  std::FILE* out = std::fopen(options.output, "wb");
  if (!out) {
    std::perror(options.output);
    return 1;
  }
  Random random(options.seed);
  std::fprintf(out, "WELL TOP BOTTOM ZONE PORO PERM SW VSH\n");
  long lines = 0;
  // Every well's lines, kept when they are written in another order.
  const bool hold = options.interleave || options.reverse || options.shuffle;
  std::vector<std::vector<std::string>> held;
  for (long w = 0; w < wells; ++w) {
    char well[32];
    std::snprintf(well, sizeof well, "BW-%05ld", w + 1);
    // Thicknesses of 1 to 80 m, and a gap of 0.1 to 15 m after one interval
    // in eight; the well's first top lies between 1,000 m and 4,000 m less
    // the well's span, so that every top stays within 1,000 to 4,000 m when
    // the span allows it. All in centimetres. --thin makes core-scale
    // intervals instead: 0.05 to 0.3 m thick, gaps of 0.1 to 1.5 m.
    const long intervals = options.intervals;
    std::vector<std::int64_t> thickness(static_cast<std::size_t>(intervals));
    std::vector<std::int64_t> gap(static_cast<std::size_t>(intervals));
    std::int64_t span = 0;
    for (long i = 0; i < intervals; ++i) {
      thickness[i] =
          options.thin ? random.Between(5, 30) : random.Between(100, 8000);
      gap[i] =
          random.Chance(12) ? random.Between(10, options.thin ? 150 : 1500) : 0;
      span += thickness[i] + (i + 1 < intervals ? gap[i] : 0);
    }
    const std::int64_t room = 300000 - span;
    std::int64_t top = 100000 + (room > 0 ? random.Between(0, room) : 0);
    int unit = 1;
    if (hold) held.emplace_back();
    for (long i = 0; i < intervals; ++i) {
      const std::int64_t bottom = top + thickness[i];
      const char* formation = kFormations[random.Between(0, 5)];
      unit = random.Chance(30) ? 1 : unit + 1;
      // Porosity 0 to 0.35, permeability 0.01 to 2000 mD, saturation and
      // shale volume 0 to 1.
      char line[256];
      std::snprintf(line, sizeof line,
                    "%s %s %s %s_%d 0.%03d %s 0.%03d 0.%03d\n", well,
                    Centi(top).c_str(), Centi(bottom).c_str(), formation, unit,
                    static_cast<int>(random.Between(0, 350)),
                    Centi(random.Between(1, 200000)).c_str(),
                    static_cast<int>(random.Between(0, 999)),
                    static_cast<int>(random.Between(0, 999)));
      if (hold)
        held.back().push_back(line);
      else
        std::fputs(line, out);
      ++lines;
      top = bottom + gap[i];
    }
  }
  for (std::size_t i = 0;
       options.interleave && i < static_cast<std::size_t>(options.intervals);
       ++i) {
    for (const std::vector<std::string>& well_lines : held)
      std::fputs(well_lines[i].c_str(), out);
  }
  for (std::size_t w = 0; options.reverse && w < held.size(); ++w) {
    for (auto line = held[w].rbegin(); line != held[w].rend(); ++line)
      std::fputs(line->c_str(), out);
  }
  if (options.shuffle) {
    std::vector<const std::string*> order;
    for (const std::vector<std::string>& well_lines : held)
      for (const std::string& line : well_lines) order.push_back(&line);
    // Fisher-Yates, from a generator of its own: the lines are those of the
    // grouped table with the same seed.
    Random shuffle(options.seed ^ 0x5DEECE66Dull);
    for (std::size_t i = order.size(); i > 1; --i)
      std::swap(order[i - 1], order[static_cast<std::size_t>(shuffle.Between(
                                  0, static_cast<std::int64_t>(i - 1)))]);
    for (const std::string* line : order) std::fputs(line->c_str(), out);
  }
  const bool write_failed = std::ferror(out) != 0;
  if (std::fclose(out) != 0 || write_failed) {
    std::perror(options.output);
    return 1;
  }
  std::printf("%ld wells, %ld intervals\n", wells, lines);
  return 0;
}
