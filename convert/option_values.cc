// Options that take a value, from their names to the fields they set.
#include "convert/option_values.h"

#include <cstring>

#include "convert/delimited.h"
#include "convert/report.h"
#include "text/string.h"

namespace {

// Whether |arg| is the option |name|, as "NAME VALUE" or "NAME=VALUE" for an
// option that takes a value (|inline_value| then points past the '=', or is
// null when the value is the next argument).
bool IsNamed(const char* arg, const char* name, const char** inline_value) {
  const std::size_t length = std::strlen(name);
  if (std::strncmp(arg, name, length) != 0) return false;
  if (arg[length] == '\0') {
    *inline_value = nullptr;
    return true;
  }
  // Only long options take "=VALUE".
  if (arg[length] == '=' && name[1] == '-') {
    *inline_value = arg + length + 1;
    return true;
  }
  return false;
}

bool ParseDepthUnit(const char* text, char* unit, std::string* err) {
  if ((text[0] == 'M' || text[0] == 'm' || text[0] == 'F' || text[0] == 'f') &&
      text[1] == '\0') {
    *unit = (text[0] == 'M' || text[0] == 'm') ? 'M' : 'F';
    return true;
  }
  *err = FormatText("depth unit \"%s\" is not M or F", text);
  return false;
}

// The options that take a value.
enum class ValueOption {
  kDelimiter,
  kOutputDir,
  kDepthUnit,
  kZoneCodes,
  kWellInfo,
  kWellColumn,
  kTopColumn,
  kBottomColumn,
  kZoneColumn,
  kValueColumns,
  kWell,
  kComments
};

struct ValueOptionName {
  const char* name;
  ValueOption option;
};

constexpr ValueOptionName kValueOptions[] = {
    {"--delimiter", ValueOption::kDelimiter},
    {"-o", ValueOption::kOutputDir},
    {"--output-dir", ValueOption::kOutputDir},
    {"--depth-unit", ValueOption::kDepthUnit},
    {"--zone-codes", ValueOption::kZoneCodes},
    {"--well-info", ValueOption::kWellInfo},
    {"--well-column", ValueOption::kWellColumn},
    {"--top-column", ValueOption::kTopColumn},
    {"--bottom-column", ValueOption::kBottomColumn},
    {"--zone-column", ValueOption::kZoneColumn},
    {"--value-columns", ValueOption::kValueColumns},
    {"--well", ValueOption::kWell},
    {"--comments", ValueOption::kComments},
};

bool SetValueOption(ValueOption option, const char* value, Options* options,
                    std::string* err) {
  switch (option) {
    case ValueOption::kDelimiter:
      return ParseDelimiterOption(value, &options->delimiter, err);
    case ValueOption::kOutputDir:
      if (value[0] == '\0') {
        *err = "the output directory's name is empty";
        return false;
      }
      options->output_dir = value;
      return true;
    case ValueOption::kDepthUnit:
      return ParseDepthUnit(value, &options->depth_unit, err);
    case ValueOption::kZoneCodes:
    case ValueOption::kWellInfo:
      if (value[0] == '\0') {
        *err = "the option file's name is empty";
        return false;
      }
      (option == ValueOption::kZoneCodes ? options->zone_codes
                                         : options->well_info) = value;
      return true;
    case ValueOption::kWellColumn:
    case ValueOption::kTopColumn:
    case ValueOption::kBottomColumn:
    case ValueOption::kZoneColumn:
    case ValueOption::kValueColumns:
      if (value[0] == '\0') {
        *err = "a column's name or number is empty";
        return false;
      }
      *(option == ValueOption::kWellColumn     ? &options->columns.well
        : option == ValueOption::kTopColumn    ? &options->columns.top
        : option == ValueOption::kBottomColumn ? &options->columns.bottom
        : option == ValueOption::kZoneColumn   ? &options->columns.zone
                                               : &options->columns.values) =
          value;
      return true;
    case ValueOption::kWell:
      if (IsBlankText(value)) {
        *err = "the well's name given with --well is blank";
        return false;
      }
      options->well_name = value;
      options->columns.one_well = true;
      return true;
    case ValueOption::kComments:
      if (value[0] == '\0' || value[1] != '\0' || value[0] == ' ' ||
          value[0] == '\t') {
        *err = FormatText("--comments \"%s\" is not one character, such as '#'",
                          value);
        return false;
      }
      options->comment = value[0];
      return true;
  }
  return false;
}

}  // namespace

bool TakeValueOption(int argc, char* argv[], int* i, Options* options,
                     std::string* err) {
  const char* arg = argv[*i];
  const ValueOptionName* known = nullptr;
  const char* value = nullptr;
  for (const ValueOptionName& candidate : kValueOptions) {
    if (IsNamed(arg, candidate.name, &value)) {
      known = &candidate;
      break;
    }
  }
  if (known == nullptr) {
    *err = FormatText("unknown option \"%s\"", arg);
    return false;
  }
  if (value == nullptr) {
    if (*i + 1 == argc) {
      *err = FormatText("option \"%s\" needs a value", arg);
      return false;
    }
    value = argv[++*i];
  }
  return SetValueOption(known->option, value, options, err);
}

bool CheckColumnOptions(const Options& options, std::string* err) {
  if (options.columns.tops && options.columns.bottom != nullptr) {
    *err =
        "--bottom-column has no meaning with --tops: each unit runs to the "
        "next pick";
    return false;
  }
  if (options.columns.one_well && options.columns.well != nullptr) {
    *err =
        "--well-column has no meaning with --well: the table has no well "
        "column";
    return false;
  }
  return true;
}
