#include "tests/las_checker.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <optional>
#include <set>

namespace {

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string Upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A number as the standard's readers take it: sign, digits with one point
// at most, an optional exponent.
bool IsNumber(const std::string& text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  int digits = 0;
  bool point = false;
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
    if (std::isdigit(static_cast<unsigned char>(text[i]))) {
      ++digits;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  if (i == text.size()) return true;
  ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  if (i == text.size()) return false;
  for (; i < text.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

// A plain decimal in billionths, exactly; none for anything else (an
// exponent, more than nine decimals, too many digits).
std::optional<std::int64_t> Billionths(const std::string& text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  std::int64_t value = 0;
  int decimals = -1;
  int digits = 0;
  for (; i < text.size(); ++i) {
    if (text[i] == '.' && decimals < 0) {
      decimals = 0;
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    if (++digits > 17 || decimals >= 9) return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (decimals >= 0) ++decimals;
  }
  if (digits == 0) return std::nullopt;
  for (int d = decimals < 0 ? 0 : decimals; d < 9; ++d) value *= 10;
  return negative ? -value : value;
}

struct HeaderLine {
  std::string mnemonic, unit, value, description;
};

// Splits at the first dot, the first space after it and the last colon.
bool SplitHeaderLine(const std::string& line, HeaderLine* out) {
  const std::size_t dot = line.find('.');
  const std::size_t colon = line.rfind(':');
  if (dot == std::string::npos || colon == std::string::npos || colon < dot)
    return false;
  std::size_t space = line.find(' ', dot);
  if (space == std::string::npos || space > colon) space = colon;
  out->mnemonic = Trim(line.substr(0, dot));
  out->unit = line.substr(dot + 1, space - dot - 1);
  out->value = Trim(line.substr(space, colon - space));
  out->description = Trim(line.substr(colon + 1));
  return !out->mnemonic.empty() &&
         out->mnemonic.find_first_of(" \t") == std::string::npos;
}

}  // namespace

const char* RuleName(LasRule rule) {
  switch (rule) {
    case LasRule::kSections:
      return "sections";
    case LasRule::kVersion:
      return "version";
    case LasRule::kWellItems:
      return "well items";
    case LasRule::kDelimiters:
      return "delimiters";
    case LasRule::kUnique:
      return "unique mnemonics";
    case LasRule::kColumns:
      return "columns";
    case LasRule::kNumbers:
      return "numbers";
    case LasRule::kIndex:
      return "index";
    case LasRule::kIncrement:
      return "increment";
    case LasRule::kMultiple:
      return "multiple";
    case LasRule::kRange:
      return "range";
  }
  return "?";
}

std::vector<LasRule> BrokenRules(const std::vector<LasViolation>& violations) {
  std::set<LasRule> rules;
  for (const LasViolation& v : violations) rules.insert(v.rule);
  return std::vector<LasRule>(rules.begin(), rules.end());
}

std::string Describe(const std::vector<LasViolation>& violations) {
  std::string text;
  for (const LasViolation& v : violations)
    text += std::string(RuleName(v.rule)) + ": " + v.detail + "\n";
  return text;
}

std::vector<LasViolation> CheckLas(const std::string& text) {
  std::vector<LasViolation> out;
  const auto fail = [&](LasRule rule, int line, const std::string& what) {
    out.push_back({rule, "line " + std::to_string(line) + ": " + what});
  };
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  std::string sections;  // the letters of the sections in order
  std::map<char, std::vector<std::pair<int, HeaderLine>>> items;
  std::vector<std::pair<int, std::string>> rows;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const std::string line = Trim(lines[i]);
    const char section = sections.empty() ? '\0' : sections.back();
    if (!line.empty() && line[0] == '~') {
      sections.push_back(static_cast<char>(std::toupper(
          static_cast<unsigned char>(line.size() > 1 ? line[1] : ' '))));
      continue;
    }
    if (section == 'A') {
      rows.push_back({number, line});
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    if (section == '\0') {
      fail(LasRule::kSections, number, "text before the first section");
      continue;
    }
    HeaderLine item;
    if (!SplitHeaderLine(lines[i], &item)) {
      fail(LasRule::kDelimiters, number,
           "no MNEM.UNIT VALUE : DESCRIPTION in \"" + lines[i] + "\"");
      continue;
    }
    items[section].push_back({number, item});
  }
  // Sections.
  const bool order_ok = sections.size() >= 4 && sections[0] == 'V' &&
                        sections[1] == 'W' && sections.back() == 'A' &&
                        std::count(sections.begin(), sections.end(), 'C') == 1;
  bool middle_ok = order_ok;
  if (order_ok) {
    std::set<char> seen;
    for (std::size_t i = 2; i + 1 < sections.size(); ++i) {
      const char s = sections[i];
      if ((s != 'C' && s != 'P' && s != 'O') || !seen.insert(s).second)
        middle_ok = false;
    }
  }
  if (!middle_ok)
    fail(LasRule::kSections, 0, "sections in the order \"" + sections + "\"");
  // Unique mnemonics, and a map of each section's items.
  std::map<char, std::map<std::string, HeaderLine>> by_name;
  for (const auto& section : items) {
    for (const auto& entry : section.second) {
      const std::string key = Upper(entry.second.mnemonic);
      if (!by_name[section.first].emplace(key, entry.second).second)
        fail(LasRule::kUnique, entry.first,
             "mnemonic " + key + " twice in ~" + section.first);
    }
  }
  auto& version = by_name['V'];
  if (!version.count("VERS") || version["VERS"].value != "2.0" ||
      !version.count("WRAP") || Upper(version["WRAP"].value) != "NO")
    fail(LasRule::kVersion, 0, "VERS 2.0 and WRAP NO are not both there");
  auto& well = by_name['W'];
  for (const char* required : {"STRT", "STOP", "STEP", "NULL", "COMP", "WELL",
                               "FLD", "LOC", "SRVC", "DATE"}) {
    if (!well.count(required))
      fail(LasRule::kWellItems, 0, std::string("no ") + required);
  }
  if (!well.count("PROV") &&
      !(well.count("CNTY") && well.count("STAT") && well.count("CTRY")))
    fail(LasRule::kWellItems, 0, "neither PROV nor CNTY, STAT and CTRY");
  if (!well.count("UWI") && !well.count("API"))
    fail(LasRule::kWellItems, 0, "neither UWI nor API");
  // Curves and rows.
  const auto& curves = items['C'];
  if (curves.empty()) {
    fail(LasRule::kColumns, 0, "no curve");
    return out;
  }
  const std::string index = Upper(curves[0].second.mnemonic);
  if (index != "DEPT" && index != "DEPTH" && index != "TIME" &&
      index != "INDEX")
    fail(LasRule::kIndex, curves[0].first, "the first curve is " + index);
  // A line feed ends the last row: the text after it is no row.
  if (!rows.empty() && rows.back().second.empty() &&
      rows.back().first == static_cast<int>(lines.size()))
    rows.pop_back();
  std::optional<std::int64_t> step, strt, stop;
  if (well.count("STEP")) step = Billionths(well["STEP"].value);
  if (well.count("STRT")) strt = Billionths(well["STRT"].value);
  if (well.count("STOP")) stop = Billionths(well["STOP"].value);
  std::vector<std::int64_t> depths;
  for (const auto& row : rows) {
    std::vector<std::string> tokens;
    std::size_t at = 0;
    while ((at = row.second.find_first_not_of(" \t", at)) !=
           std::string::npos) {
      const std::size_t end = row.second.find_first_of(" \t", at);
      tokens.push_back(row.second.substr(at, end - at));
      at = end;
    }
    if (tokens.size() != curves.size())
      fail(LasRule::kColumns, row.first,
           std::to_string(tokens.size()) + " values for " +
               std::to_string(curves.size()) + " curves");
    for (const std::string& token : tokens)
      if (!IsNumber(token))
        fail(LasRule::kNumbers, row.first, "\"" + token + "\" is no number");
    if (tokens.empty()) continue;
    const std::optional<std::int64_t> depth = Billionths(tokens[0]);
    if (!depth) {
      fail(LasRule::kIndex, row.first,
           "depth \"" + tokens[0] + "\" is no plain decimal");
      continue;
    }
    if (!depths.empty() && *depth <= depths.back())
      fail(LasRule::kIndex, row.first,
           "depth " + tokens[0] + " does not increase");
    if (!depths.empty() && step && *depth - depths.back() != *step)
      fail(LasRule::kIncrement, row.first,
           "increment to " + tokens[0] + " is not STEP");
    if (!step || *step == 0 || *depth % *step != 0)
      fail(LasRule::kMultiple, row.first,
           "depth " + tokens[0] + " is no whole multiple of STEP");
    depths.push_back(*depth);
  }
  if (depths.empty() || !strt || !stop || *strt != depths.front() ||
      *stop != depths.back())
    fail(LasRule::kRange, 0, "STRT and STOP are not the first and last depth");
  return out;
}
