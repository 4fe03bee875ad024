// The command line: the zone table's name, the depth step and the options
// that say how the table is written and where the files go, or the usage,
// help and version texts that end the program before any conversion.
#ifndef ZONE2LAS_CONVERT_OPTIONS_H_
#define ZONE2LAS_CONVERT_OPTIONS_H_

#include <optional>

#include "convert/columns.h"
#include "convert/delimited.h"

// Exit statuses.
constexpr int kExitSuccess = 0;  // every well was written whole
constexpr int kExitFailure = 1;  // the run went through but something failed
constexpr int kExitUsage = 2;    // the command line was refused

struct Options {
  const char* table_name = nullptr;  // as the user gave it
  double depth_step = 0.1;           // in the depth unit
  // The table's field separator; none: read it from the header line.
  std::optional<Delimiter> delimiter;
  // The folder that receives the wells' files; null: the current one.
  const char* output_dir = nullptr;
  // 'M' (metres) or 'F' (feet): the unit written for the depths.
  char depth_unit = 'M';
  // Files that keep every rule of LAS 2.0: one regular grid, numbers only,
  // the well's identity (see convert/standard_run.h).
  bool standard = false;
  // The step in whole millionths, under standard.
  long long step_millionths = 0;
  // The zone codes and the wells' identities, or null.
  const char* zone_codes = nullptr;
  const char* well_info = nullptr;
  // The table's columns chosen by number or header name, --well and --tops
  // (see convert/columns.h).
  ColumnChoice columns;
  // The well of a table without a well column (--well), or null.
  const char* well_name = nullptr;
  // Lines whose first non-blank character is this are skipped; '\0': none.
  char comment = '\0';
  // File names with / \ : * ? " < > | and control characters as '_'.
  bool flat_names = false;
};

// Reads |argv| into |options|. Options may stand before or after the table
// and the step; "--" ends them, and an argument of a "-" followed by a digit
// or a point is a number, never an option. False when the program ends here,
// with |exit_status|: after the usage text (no table named, an unknown option
// or a bad option value, a step that is not a finite number of at least
// 0.001, or under --standard one with more than six decimals), the help
// text or the version.
bool ParseCommandLine(int argc, char* argv[], Options* options,
                      int* exit_status);

#endif  // ZONE2LAS_CONVERT_OPTIONS_H_
