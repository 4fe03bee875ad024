#include "convert/options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "convert/report.h"
#include "io/console.h"

namespace {

std::string UsageText(const char* program) {
  return FormatText("Example: %s <gisfilename> [step=0.1]", program);
}

void PrintHelp(const char* program) {
  WriteToOutput(FormatText("Usage: %s <gisfilename> [step=0.1]\n", program));
  WriteToOutput(
      "\n"
      "Converts a zone table into one LAS 2.0 file per well.\n"
      "\n"
      "  <gisfilename>  the zone table: a header line naming the columns (well,\n"
      "                 top, bottom, zone, then one name per attribute curve),\n"
      "                 then one depth interval per line\n"
      "  [step=0.1]     an optional number, 0.1 when left out: the depth step of\n"
      "                 the rows in metres, at least 0.001 (0.25, .5, 1e-1)\n"
      "\n"
      "Each well is written to <well>.las in the current directory; the files\n"
      "take their names, replacing existing ones, once the whole table has been\n"
      "read. A run that goes well prints nothing.\n"
      "\n"
      "Exit status: 0 when every well was written whole, 1 when a line was\n"
      "refused or a file could not be written, 2 when the command line was\n"
      "refused, 128 + N when signal N stopped the run (nothing is written).\n"
      "\n"
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

}  // namespace

bool ParseCommandLine(int argc, char* argv[], Options* options,
                      int* exit_status) {
  const char* program = argc > 0 && argv[0] ? argv[0] : kProgram;
  if (argc < 2) {
    WriteToOutput("Mandatory argumument not specified!\n" +
                  UsageText(program));
    *exit_status = kExitUsage;
    return false;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintHelp(program);
    *exit_status = kExitSuccess;
    return false;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    WriteToOutput(FormatText("%s %s\n", kProgram, ZONE2LAS_VERSION));
    *exit_status = kExitSuccess;
    return false;
  }
  options->table_name = argv[1];
  std::string err;
  if (argc > 2 && !ParseStep(argv[2], &options->depth_step, &err)) {
    WriteToError(FormatText("%s: step \"%s\" %s\n%s\n", kProgram, argv[2],
                            err.c_str(), UsageText(program).c_str()));
    *exit_status = kExitUsage;
    return false;
  }
  return true;
}
