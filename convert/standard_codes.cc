// Numbering the texts of a standard file, and reading the --zone-codes file.
#include "convert/standard_codes.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "convert/delimited.h"
#include "convert/option_table.h"
#include "convert/options.h"

// Where a text is first met: the well's place in the order of the files,
// then the line (a well's lines come in depth order).
void Remember(std::map<std::string, FirstSeen>* seen, const char* text,
              const FirstSeen& where) {
  const auto found = seen->emplace(text, where);
  if (!found.second && where < found.first->second) found.first->second = where;
}

// Sorts the texts by the order their files are written in, and numbers them
// from 1.
void AssignCodes(const std::map<std::string, FirstSeen>& seen,
                 std::map<std::string, long long>* codes) {
  std::vector<std::pair<FirstSeen, const std::string*>> order;
  for (const auto& entry : seen) order.push_back({entry.second, &entry.first});
  std::sort(order.begin(), order.end());
  long long code = 0;
  for (const auto& entry : order) (*codes)[*entry.second] = ++code;
}

int ReadZoneCodes(const char* name,
                  const std::map<std::string, FirstSeen>& seen,
                  Reporter& reporter, std::map<std::string, long long>* codes) {
  if (name == nullptr) {
    AssignCodes(seen, codes);
    return 0;
  }
  OptionTable table;
  std::string err;
  if (!table.Read(name, &err)) {
    reporter.Report("%s", err.c_str());
    return kExitUsage;
  }
  const int zone_column = table.Column("ZONE");
  const int code_column = table.Column("CODE");
  if (zone_column < 0 || code_column < 0) {
    reporter.Report("%s:%ld: the header line names no %s column", name,
                    table.header_line(), zone_column < 0 ? "ZONE" : "CODE");
    return kExitUsage;
  }
  std::map<std::string, std::pair<long long, long>> by_zone;
  std::map<long long, long> by_code;
  for (const OptionTable::Row& row : table.rows()) {
    std::string zone = row.fields[static_cast<std::size_t>(zone_column)];
    JoinWhiteSpaceRuns(&zone);
    const std::string& code_text =
        row.fields[static_cast<std::size_t>(code_column)];
    long long code = 0;
    bool whole = !code_text.empty() && code_text.size() <= 15;
    for (const char c : code_text) {
      if (c < '0' || c > '9') whole = false;
      if (whole) code = code * 10 + (c - '0');
    }
    if (zone.empty()) {
      reporter.Report("%s:%ld: the zone is empty", name, row.line);
      return kExitUsage;
    }
    if (!whole || code < 1) {
      reporter.Report(
          "%s:%ld: code \"%s\" of zone \"%s\" is not a whole number of at "
          "least 1",
          name, row.line, code_text.c_str(), zone.c_str());
      return kExitUsage;
    }
    const auto zone_entry =
        by_zone.emplace(zone, std::make_pair(code, row.line));
    if (!zone_entry.second) {
      reporter.Report("%s:%ld: zone \"%s\" is listed twice (first on line %ld)",
                      name, row.line, zone.c_str(),
                      zone_entry.first->second.second);
      return kExitUsage;
    }
    const auto code_entry = by_code.emplace(code, row.line);
    if (!code_entry.second) {
      reporter.Report("%s:%ld: code %s is listed twice (first on line %ld)",
                      name, row.line, std::to_string(code).c_str(),
                      code_entry.first->second);
      return kExitUsage;
    }
  }
  // The first zone without a code, in the order the files are written.
  std::map<std::string, long long> order;
  AssignCodes(seen, &order);
  const std::string* missing = nullptr;
  for (const auto& zone : order) {
    const auto found = by_zone.find(zone.first);
    if (found != by_zone.end()) {
      (*codes)[zone.first] = found->second.first;
    } else if (missing == nullptr || zone.second < order[*missing]) {
      missing = &zone.first;
    }
  }
  if (missing != nullptr) {
    reporter.SetLineNumber(std::get<2>(seen.at(*missing)));
    reporter.ReportLine("zone \"%s\" has no code in %s", missing->c_str(),
                        name);
    return kExitUsage;
  }
  return 0;
}
