// The command line: the zone table's name and the depth step, or the usage,
// help and version texts that end the program before any conversion.
#ifndef ZONE2LAS_CONVERT_OPTIONS_H_
#define ZONE2LAS_CONVERT_OPTIONS_H_

// Exit statuses.
constexpr int kExitSuccess = 0;  // every well written whole
constexpr int kExitFailure = 1;  // the run went through but something failed
constexpr int kExitUsage = 2;    // the command line was refused

struct Options {
  const char* table_name = nullptr;  // as the user gave it
  double depth_step = 0.1;           // metres
};

// Reads |argv| into |options|. False when the program ends here, with
// |exit_status|: after the usage text (no table named, or a step that is not
// a finite number above 0), the help text or the version.
bool ParseCommandLine(int argc, char* argv[], Options* options,
                      int* exit_status);

#endif  // ZONE2LAS_CONVERT_OPTIONS_H_
