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
  WriteToOutput(UsageText(program));
  WriteToOutput(
      "\n"
      "Converts a zone table into one LAS 2.0 file per well.\n"
      "\n"
      "  <gisfilename>  the zone table: a header line naming the columns (well,\n"
      "                 top, bottom, zone, then one name per attribute curve),\n"
      "                 then one depth interval per line\n"
      "  step           the depth step of the rows in metres (default 0.1)\n"
      "\n"
      "Each well is written to <well>.las in the current directory; an existing\n"
      "file of that name is replaced once the well is complete.\n"
      "\n"
      "Exit status: 0 when every well was written whole, 1 when a line was\n"
      "refused or a file could not be written, 2 when the command line was\n"
      "refused.\n"
      "\n"
      "  -h, --help     show this text\n"
      "      --version  show the version\n");
}

// The step must be the whole argument, finite and above 0: anything else
// would stall or reverse the resampling.
bool ParseStep(const char* text, double* step) {
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text || *end != '\0' || !std::isfinite(value) || !(value > 0.0))
    return false;
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
  if (argc > 2 && !ParseStep(argv[2], &options->depth_step)) {
    WriteToError(FormatText(
        "%s: step \"%s\" is not a finite number greater than 0\n%s\n",
        kProgram, argv[2], UsageText(program).c_str()));
    *exit_status = kExitUsage;
    return false;
  }
  return true;
}
