// The options that take a value: each one's names, the value it accepts and
// the field of Options it sets, and the pairs of options that cannot stand
// together.
#ifndef ZONE2LAS_CONVERT_OPTION_VALUES_H_
#define ZONE2LAS_CONVERT_OPTION_VALUES_H_

#include <string>

#include "convert/options.h"

// Takes argv[*i], an option that is no flag, into |options|: its value
// follows a '=' in a long option, or is the next argument, which *i then
// passes. False, with the message in |err|, for an unknown option, a missing
// value or a value refused.
bool TakeValueOption(int argc, char* argv[], int* i, Options* options,
                     std::string* err);

// False, with the message in |err|, when |options| hold two column options
// that cannot stand together.
bool CheckColumnOptions(const Options& options, std::string* err);

#endif  // ZONE2LAS_CONVERT_OPTION_VALUES_H_
