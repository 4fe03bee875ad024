// The wells of a standard run, and reading the --well-info file.
#include "convert/standard_wells.h"

#include <algorithm>

#include "convert/delimited.h"
#include "convert/option_table.h"
#include "convert/options.h"

int ItemIndex(const std::string& mnemonic) {
  for (int i = 0; i < kItemCount; ++i)
    if (SameName(mnemonic, kWellItems[i].mnemonic)) return i;
  return -1;
}

StandardWells::StandardWells(const char* output_dir)
    : folders_(output_dir != nullptr ? output_dir : "") {}

StandardWells::~StandardWells() = default;

StandardWell* StandardWells::Find(const std::string& name, bool add) {
  std::size_t folder = 0;
  std::string base_name;
  std::string key;
  std::string ignored;
  if (!StaysInWorkingDirectory((name + ".las").c_str()) ||
      !folders_.Place(name + ".las", &folder, &base_name, &key, &ignored))
    return nullptr;
  if (!add) {
    const auto found = by_key_.find(key);
    return found != by_key_.end() ? found->second.get() : nullptr;
  }
  std::unique_ptr<StandardWell>& well = by_key_[key];
  if (!well) {
    well.reset(new StandardWell);
    well->order = order_.size();
    well->first_name = name;
    order_.push_back(well.get());
  }
  return well.get();
}

void StandardWells::IndexFirstNames() {
  for (StandardWell* well : order_) by_first_name_[well->first_name] = well;
}

const StandardWell* StandardWells::ByFirstName(const char* name) const {
  const auto found = by_first_name_.find(name);
  return found != by_first_name_.end() ? found->second : nullptr;
}

int ReadWellInfo(const char* name, StandardWells& wells, Reporter& reporter) {
  if (name == nullptr) return 0;
  OptionTable table;
  std::string err;
  if (!table.Read(name, &err)) {
    reporter.Report("%s", err.c_str());
    return kExitUsage;
  }
  const int well_column = table.Column("WELL");
  if (well_column < 0) {
    reporter.Report("%s:%ld: the header line names no WELL column", name,
                    table.header_line());
    return kExitUsage;
  }
  std::vector<int> items(table.columns().size(), -1);
  std::vector<std::string> parameters(table.columns().size());
  for (std::size_t i = 0; i < table.columns().size(); ++i) {
    if (static_cast<int>(i) == well_column) continue;
    std::string column = table.columns()[i];
    JoinWhiteSpaceRuns(&column);
    items[i] = ItemIndex(column.substr(0, column.find('.')));
    if (items[i] >= 0) continue;
    if (column.empty() || column[0] == '~' || column[0] == '#' ||
        column.find(':') != std::string::npos || column[0] == '.') {
      reporter.Report(
          "%s:%ld: column %d is named \"%s\"; a parameter's name may not be "
          "empty, start with ~, # or a point, nor hold :",
          name, table.header_line(), static_cast<int>(i) + 1, column.c_str());
      return kExitUsage;
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (!parameters[j].empty() &&
          SameName(parameters[j].substr(0, parameters[j].find('.')),
                   column.substr(0, column.find('.')))) {
        reporter.Report(
            "%s:%ld: columns \"%s\" and \"%s\" give one parameter "
            "mnemonic",
            name, table.header_line(), parameters[j].c_str(), column.c_str());
        return kExitUsage;
      }
    }
    parameters[i] = column;
  }
  std::map<const StandardWell*, long> listed;
  long unknown_count = 0;
  const OptionTable::Row* first_unknown = nullptr;
  bool override_noted = false;
  for (const OptionTable::Row& row : table.rows()) {
    const std::string& well_name =
        row.fields[static_cast<std::size_t>(well_column)];
    StandardWell* well =
        !well_name.empty() ? wells.Find(well_name, false) : nullptr;
    if (well == nullptr) {
      if (first_unknown == nullptr) first_unknown = &row;
      ++unknown_count;
      continue;
    }
    const auto entry = listed.emplace(well, row.line);
    if (!entry.second) {
      reporter.Report("%s:%ld: well \"%s\" is listed twice (first on line %ld)",
                      name, row.line, well_name.c_str(), entry.first->second);
      return kExitUsage;
    }
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
      const std::string& value = row.fields[i];
      if (items[i] >= 0 && !value.empty()) {
        std::string& item = well->items[items[i]];
        if (!item.empty() && item != value && !override_noted) {
          override_noted = true;
          reporter.Note(
              "%s:%ld: note: %s \"%s\" of well \"%s\" replaces \"%s\" of the "
              "zone table",
              name, row.line, kWellItems[items[i]].mnemonic, value.c_str(),
              well_name.c_str(), item.c_str());
        }
        item = value;
      } else if (!parameters[i].empty()) {
        well->parameters.push_back({parameters[i], value});
      }
    }
  }
  if (first_unknown != nullptr) {
    reporter.Note(
        "%s:%ld: note: well \"%s\" has no line in the zone table; %ld such "
        "row%s ignored",
        name, first_unknown->line,
        first_unknown->fields[static_cast<std::size_t>(well_column)].c_str(),
        unknown_count, unknown_count == 1 ? "" : "s");
  }
  const std::size_t without = wells.order().size() - listed.size();
  const auto unlisted = std::find_if(
      wells.order().begin(), wells.order().end(),
      [&](const StandardWell* well) { return listed.count(well) == 0; });
  if (unlisted != wells.order().end()) {
    reporter.Note(
        "%s: note: well \"%s\" has no row; its ~Well items are "
        "empty (%ld such well%s)",
        name, (*unlisted)->first_name.c_str(), static_cast<long>(without),
        without == 1 ? "" : "s");
  }
  return 0;
}
