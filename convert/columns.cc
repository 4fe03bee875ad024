#include "convert/columns.h"

#include <cstdlib>
#include <cstring>

#include "convert/delimited.h"
#include "convert/report.h"

namespace {

// The roles before the values, in their order, with the option that names
// each and the word for it in messages.
struct Role {
  const char* option;
  const char* what;
};
constexpr Role kRoles[] = {{"--well-column", "the well"},
                           {"--top-column", "the top depth"},
                           {"--bottom-column", "the bottom depth"},
                           {"--zone-column", "the zone"}};
constexpr int kRoleCount = 4;

bool IsNumber(const std::string& text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string Folded(std::string text) {
  JoinWhiteSpaceRuns(&text);
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The header's names, for a message: "WELL", "TOP", ...
std::string NameList(const Fields& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += ", ";
    list += FormatText("%d \"%s\"", static_cast<int>(i) + 1, names[i]);
  }
  return list;
}

// The column that |chosen| names, from 0.
bool FindColumn(const Fields& names, const std::string& chosen,
                const char* option, int* column, std::string* err) {
  if (IsNumber(chosen)) {
    const unsigned long number = std::strtoul(chosen.c_str(), nullptr, 10);
    if (number >= 1 && number <= names.size()) {
      *column = static_cast<int>(number) - 1;
      return true;
    }
    *err = FormatText("%s %s: the header line has columns 1 to %d: %s", option,
                      chosen.c_str(), static_cast<int>(names.size()),
                      NameList(names).c_str());
    return false;
  }
  const std::string wanted = Folded(chosen);
  int found = kNoColumn;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (Folded(names[i]) != wanted) continue;
    if (found != kNoColumn) {
      *err = FormatText(
          "%s \"%s\": the header line names columns %d and %d so; give the "
          "column by its number: %s",
          option, chosen.c_str(), found + 1, static_cast<int>(i) + 1,
          NameList(names).c_str());
      return false;
    }
    found = static_cast<int>(i);
  }
  if (found == kNoColumn) {
    *err = FormatText("%s \"%s\": the header line names no such column: %s",
                      option, chosen.c_str(), NameList(names).c_str());
    return false;
  }
  *column = found;
  return true;
}

}  // namespace

int LeastColumns(const ColumnChoice& choice) {
  return kRoleCount - (choice.one_well ? 1 : 0) - (choice.tops ? 1 : 0);
}

bool ChooseColumns(const Fields& names, const ColumnChoice& choice,
                   std::vector<int>* column_of, std::string* err) {
  const char* chosen[kRoleCount] = {choice.well, choice.top, choice.bottom,
                                    choice.zone};
  const bool has_column[kRoleCount] = {!choice.one_well, true, !choice.tops,
                                       true};
  // Who holds each column: a role (0 to 3), a value (4), or no one (-1); and
  // whether by an option.
  std::vector<int> holder(names.size(), -1);
  std::vector<bool> by_option(names.size(), false);
  column_of->assign(kRoleCount, kNoColumn);
  const auto take = [&](int column, int role, bool option) {
    if (holder[column] != -1) {
      const int other = holder[column];
      // The role that stood in its place by position wants an option.
      const int moved = !by_option[column] ? other : role;
      const char* what = [&](int r) {
        return r < kRoleCount ? kRoles[r].what : "a value column";
      }(other);
      const char* now =
          role < kRoleCount ? kRoles[role].what : "a value column";
      *err = FormatText(
          "column %d (\"%s\") is both %s and %s; choose %s's column with %s",
          column + 1, names[column], what, now,
          moved < kRoleCount ? kRoles[moved].what : "the values",
          moved < kRoleCount ? kRoles[moved].option : "--value-columns");
      return false;
    }
    holder[column] = role;
    by_option[column] = option;
    return true;
  };
  for (int role = 0; role < kRoleCount; ++role) {
    if (chosen[role] == nullptr) continue;
    int column = 0;
    if (!FindColumn(names, chosen[role], kRoles[role].option, &column, err) ||
        !take(column, role, true))
      return false;
    (*column_of)[role] = column;
  }
  // The roles not chosen take the next places in order.
  int place = 0;
  for (int role = 0; role < kRoleCount; ++role) {
    if (!has_column[role]) continue;
    if (chosen[role] == nullptr) {
      if (place >= static_cast<int>(names.size())) {
        *err = FormatText("the header line names %d columns; %s needs one",
                          static_cast<int>(names.size()), kRoles[role].what);
        return false;
      }
      if (!take(place, role, false)) return false;
      (*column_of)[role] = place;
    }
    ++place;
  }
  if (choice.values != nullptr) {
    std::string list = choice.values;
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = list.find(',', start);
      const std::string one =
          list.substr(start, comma == std::string::npos ? std::string::npos
                                                        : comma - start);
      int column = 0;
      if (!FindColumn(names, one, "--value-columns", &column, err) ||
          !take(column, kRoleCount, true))
        return false;
      column_of->push_back(column);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  } else {
    for (std::size_t column = 0; column < names.size(); ++column)
      if (holder[column] == -1) column_of->push_back(static_cast<int>(column));
  }
  return true;
}

bool InPlace(const std::vector<int>& column_of) {
  for (std::size_t i = 0; i < column_of.size(); ++i)
    if (column_of[i] != static_cast<int>(i)) return false;
  return true;
}

void ArrangeFields(const std::vector<int>& column_of, const char* well_name,
                   Fields* fields) {
  const std::size_t in_table = fields->size();
  std::size_t chosen = 0;
  std::size_t last = 0;
  for (const int column : column_of) {
    if (column != kNoColumn) {
      if (static_cast<std::size_t>(column) >= in_table) break;
      last = static_cast<std::size_t>(column);
    } else if (chosen == 0) {
      fields->Add(well_name != nullptr ? well_name : "",
                  well_name != nullptr ? std::strlen(well_name) : 0);
      last = fields->size() - 1;
    }
    // A role with no column after the first repeats the one before it.
    fields->Choose(last);
    ++chosen;
  }
  fields->Chosen();
}
