// The texts that tell how to call the program: the usage line shown under
// a refused command line, and the help that --help prints.
#ifndef ZONE2LAS_CONVERT_USAGE_H_
#define ZONE2LAS_CONVERT_USAGE_H_

#include <string>

// "Example: PROGRAM <gisfilename> [step=0.1]", with no line feed;
// |program| is the name the program was called by.
std::string UsageText(const char* program);

// Writes the help to standard output.
void PrintHelp(const char* program);

#endif  // ZONE2LAS_CONVERT_USAGE_H_
