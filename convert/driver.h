// The program: command line, zone table, one LAS file per well.
#ifndef ZONE2LAS_CONVERT_DRIVER_H_
#define ZONE2LAS_CONVERT_DRIVER_H_

// Exit statuses.
constexpr int kExitSuccess = 0;   // every well written whole
constexpr int kExitFailure = 1;   // the run went through but something failed
constexpr int kExitUsage = 2;     // the command line was refused

// Runs the conversion for the command line |argv|; returns the exit status.
// Messages go to standard error, the usage text to standard output.
int RunZone2Las(int argc, char* argv[]);

#endif  // ZONE2LAS_CONVERT_DRIVER_H_
