// The conversion of one zone table into one LAS file per well.
#ifndef ZONE2LAS_CONVERT_CONVERTER_H_
#define ZONE2LAS_CONVERT_CONVERTER_H_

#include "convert/options.h"

// Runs the program for the command line |argv|; returns the exit status.
// Messages go to standard error, the usage text to standard output.
int RunZone2Las(int argc, char* argv[]);

// Converts the zone table that |options| name; returns the exit status.
int Convert(const Options& options);

#endif  // ZONE2LAS_CONVERT_CONVERTER_H_
