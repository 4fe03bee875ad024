#include "convert/options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "convert/report.h"
#include "convert/standard_grid.h"
#include "io/console.h"

namespace {

std::string UsageText(const char* program) {
  return FormatText("Example: %s <gisfilename> [step=0.1]", program);
}

void PrintHelp(const char* program) {
  WriteToOutput(FormatText("Usage: %s <gisfilename> [step=0.1]\n", program));
  WriteToOutput(
      FormatText("       %s [options] <gisfilename> [step=0.1]\n", program));
  WriteToOutput(
      "\n"
      "Converts a zone table into one LAS 2.0 file per well.\n"
      "\n"
      "  <gisfilename>  the zone table: a header line naming the columns "
      "(well,\n"
      "                 top, bottom, zone, then one name per attribute "
      "curve),\n"
      "                 then one depth interval per line\n"
      "  [step=0.1]     an optional number, 0.1 when left out: the depth step "
      "of\n"
      "                 the rows in the depth unit, at least 0.001 (0.25, .5,\n"
      "                 1e-1)\n"
      "\n"
      "Each well is written to <well>.las in the current directory; the files\n"
      "take their names, replacing existing ones, once the whole table has "
      "been\n"
      "read. A run that goes well prints nothing.\n"
      "\n"
      "Exit status: 0 when every well was written whole, 1 when a line was\n"
      "refused or a file could not be written, 2 when the command line was\n"
      "refused, 128 + N when signal N stopped the run (nothing is written).\n"
      "\n"
      "Options may stand before or after the table and the step; -- ends "
      "them.\n"
      "\n"
      "      --delimiter auto|space|comma|semicolon|tab\n"
      "                 how the fields of a line are separated (default auto:\n"
      "                 comma or semicolon when the header line splits into "
      "at\n"
      "                 least 4 fields on it, otherwise white space). Comma,\n"
      "                 semicolon and tab tables may quote fields (\"Upper\n"
      "                 Shale\"); a semicolon table may write 1012,5 for "
      "1012.5.\n"
      "                 Example: zone2las --delimiter semicolon zones.csv\n"
      "  -o, --output-dir DIR\n"
      "                 write every <well>.las under DIR, which must exist,\n"
      "                 instead of the current directory.\n"
      "                 Example: zone2las zones.csv 0.5 -o las\n"
      "      --depth-unit M|F\n"
      "                 the unit of the depths, M (metres, the default) or F\n"
      "                 (feet), written for DEPT, STRT, STOP and STEP. The 2\n"
      "                 unit lead-in, the 0.01 offsets and the step are plain\n"
      "                 numbers in that unit.\n"
      "                 Example: zone2las --depth-unit F tops_ft.txt 0.5\n"
      "      --standard\n"
      "                 files that keep every rule of LAS 2.0: rows at whole\n"
      "                 multiples of the step (at most six decimals), zones "
      "and\n"
      "                 text values as integer codes listed in ~Parameter, "
      "every\n"
      "                 ~Well item of the standard.\n"
      "      --zone-codes FILE\n"
      "                 with --standard: the code of each zone, from a table "
      "with\n"
      "                 the columns ZONE and CODE.\n"
      "      --well-info FILE\n"
      "                 with --standard: each well's ~Well items (COMP, FLD, "
      "LOC,\n"
      "                 PROV, SRVC, DATE, UWI, CNTY, STAT, CTRY, API, LIC) "
      "and\n"
      "                 ~Parameter items, from a table with a WELL column.\n"
      "      --well-column C, --top-column C, --bottom-column C,\n"
      "      --zone-column C, --value-columns C1,C2,...\n"
      "                 the table's columns for each role, by number (from "
      "1)\n"
      "                 or header name; a role not named keeps its place "
      "(well\n"
      "                 1, top 2, bottom 3, zone 4), the values are every "
      "other\n"
      "                 column.\n"
      "                 Example: zone2las --top-column From --bottom-column "
      "To\n"
      "                 holes.csv\n"
      "      --tops     each line is a pick: well, depth, zone, values. A "
      "pick's\n"
      "                 unit runs to the next deeper pick of its well; the "
      "deepest\n"
      "                 pick starts none (end each well with a pick at total\n"
      "                 depth, such as TD).\n"
      "      --well NAME\n"
      "                 the table has no well column: every line is well "
      "NAME.\n"
      "      --comments C\n"
      "                 skip every line whose first non-blank character is "
      "C.\n"
      "      --flat-names\n"
      "                 no folders from well names: / \\ : * ? \" < > | and\n"
      "                 control characters become _ in file names (the WELL\n"
      "                 line keeps the name).\n"
      "  -h, --help     show this text\n"
      "      --version  show the version\n");
}

// Depths are compared in whole millimetres, so a finer step cannot place its
// rows (and a typo such as 1e-9 would fill the disk).
constexpr double kMinStep = 0.001;

// The step must be the whole argument, finite and at least kMinStep:
// anything else would stall, reverse or flood the resampling.
bool ParseStep(const char* text, double* step, std::string* err) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(value) || !(value > 0.0)) {
    *err = "is not a finite number greater than 0";
    return false;
  }
  if (value < kMinStep) {
    *err = "is below 0.001 m; depths are compared in whole millimetres";
    return false;
  }
  *step = value;
  return true;
}

// An argument that names an option: a "-" and more, unless a digit or a
// point follows the "-" (a negative or fractional number, such as a step).
bool IsOption(const char* arg) {
  if (arg[0] != '-' || arg[1] == '\0') return false;
  return !((arg[1] >= '0' && arg[1] <= '9') || arg[1] == '.');
}

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
        *err = FormatText(
            "--comments \"%s\" is not one character, such as '#'", value);
        return false;
      }
      options->comment = value[0];
      return true;
  }
  return false;
}

// Options that cannot stand together.
bool CheckColumnOptions(const Options& options, std::string* err) {
  if (options.columns.tops && options.columns.bottom != nullptr) {
    *err =
        "--bottom-column has no meaning with --tops: each unit runs to the "
        "next pick";
    return false;
  }
  if (options.columns.one_well && options.columns.well != nullptr) {
    *err = "--well-column has no meaning with --well: the table has no well "
           "column";
    return false;
  }
  return true;
}

// Prints "zone2las: <message>" and the usage text on standard error.
int RefuseCommandLine(const char* program, const std::string& message) {
  std::string printable;
  AppendPrintable(&printable, message);
  WriteToError(FormatText("%s: %s\n%s\n", kProgram, printable.c_str(),
                          UsageText(program).c_str()));
  return kExitUsage;
}

// The options that only --standard gives a meaning, and its whole grid.
bool CheckStandardOptions(Options* options, const char* step_text,
                          std::string* err) {
  if (!options->standard) {
    if (options->zone_codes == nullptr && options->well_info == nullptr)
      return true;
    *err = FormatText(
        "option \"%s\" needs --standard",
        options->zone_codes != nullptr ? "--zone-codes" : "--well-info");
    return false;
  }
  if (StepMillionths(options->depth_step, &options->step_millionths))
    return true;
  // The default step has six decimals: a refused step was given.
  *err = FormatText(
      "step \"%s\" has more than six decimals; --standard places rows at "
      "whole millionths",
      step_text != nullptr ? step_text : "");
  return false;
}

}  // namespace

bool ParseCommandLine(int argc, char* argv[], Options* options,
                      int* exit_status) {
  const char* program = argc > 0 && argv[0] ? argv[0] : kProgram;
  const char* step_text = nullptr;
  bool options_ended = false;
  std::string err;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (options_ended || !IsOption(arg)) {
      // Arguments past the step are ignored, as they always were.
      if (options->table_name == nullptr)
        options->table_name = arg;
      else if (step_text == nullptr)
        step_text = arg;
      continue;
    }
    if (std::strcmp(arg, "--") == 0) {
      options_ended = true;
      continue;
    }
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      PrintHelp(program);
      *exit_status = kExitSuccess;
      return false;
    }
    if (std::strcmp(arg, "--standard") == 0) {
      options->standard = true;
      continue;
    }
    if (std::strcmp(arg, "--tops") == 0) {
      options->columns.tops = true;
      continue;
    }
    if (std::strcmp(arg, "--flat-names") == 0) {
      options->flat_names = true;
      continue;
    }
    if (std::strcmp(arg, "--version") == 0) {
      WriteToOutput(FormatText("%s %s\n", kProgram, ZONE2LAS_VERSION));
      *exit_status = kExitSuccess;
      return false;
    }
    const ValueOptionName* known = nullptr;
    const char* value = nullptr;
    for (const ValueOptionName& candidate : kValueOptions) {
      if (IsNamed(arg, candidate.name, &value)) {
        known = &candidate;
        break;
      }
    }
    if (known == nullptr) {
      *exit_status =
          RefuseCommandLine(program, FormatText("unknown option \"%s\"", arg));
      return false;
    }
    if (value == nullptr) {
      if (i + 1 == argc) {
        *exit_status = RefuseCommandLine(
            program, FormatText("option \"%s\" needs a value", arg));
        return false;
      }
      value = argv[++i];
    }
    if (!SetValueOption(known->option, value, options, &err)) {
      *exit_status = RefuseCommandLine(program, err);
      return false;
    }
  }
  if (options->table_name == nullptr) {
    WriteToOutput("Mandatory argumument not specified!\n" + UsageText(program));
    *exit_status = kExitUsage;
    return false;
  }
  if (step_text != nullptr &&
      !ParseStep(step_text, &options->depth_step, &err)) {
    *exit_status = RefuseCommandLine(
        program, FormatText("step \"%s\" %s", step_text, err.c_str()));
    return false;
  }
  if (!CheckStandardOptions(options, step_text, &err) ||
      !CheckColumnOptions(*options, &err)) {
    *exit_status = RefuseCommandLine(program, err);
    return false;
  }
  return true;
}
