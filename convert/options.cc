// Reading the command line: the table, the step and the flags here; the
// options that take a value in option_values.cc.
#include "convert/options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "convert/option_values.h"
#include "convert/report.h"
#include "convert/standard_grid.h"
#include "convert/usage.h"
#include "io/console.h"

namespace {

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
    if (!TakeValueOption(argc, argv, &i, options, &err)) {
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
