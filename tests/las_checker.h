// An independent check of a LAS 2.0 file against the rules of the standard's
// document, written from those rules alone (not from the program's code), so
// that the files the program writes can be held to them.
#ifndef ZONE2LAS_TESTS_LAS_CHECKER_H_
#define ZONE2LAS_TESTS_LAS_CHECKER_H_

#include <string>
#include <vector>

enum class LasRule {
  kSections,    // ~V first, then ~W and ~C, optional ~P and ~O, ~A last
  kVersion,     // VERS 2.0 and WRAP NO
  kWellItems,   // every required ~W item, once
  kDelimiters,  // MNEM.UNIT VALUE : DESCRIPTION, split at the first dot, the
                // first space after it and the last colon
  kUnique,      // no mnemonic twice in a section
  kColumns,     // one ~C line per data column, in every row
  kNumbers,     // every value in ~A is a number
  kIndex,       // the first curve is the depth and strictly increases
  kIncrement,   // every increment equals STEP
  kMultiple,    // every depth is a whole multiple of STEP
  kRange,       // STRT and STOP are the first and last depth
};

struct LasViolation {
  LasRule rule;
  std::string detail;  // what broke it, with the line number
};

// Every rule |text| breaks; empty for a file that keeps them all.
std::vector<LasViolation> CheckLas(const std::string& text);

// The rules broken, each once, in the enum's order.
std::vector<LasRule> BrokenRules(const std::vector<LasViolation>& violations);

const char* RuleName(LasRule rule);

// The violations, one a line, for a failure message.
std::string Describe(const std::vector<LasViolation>& violations);

#endif  // ZONE2LAS_TESTS_LAS_CHECKER_H_
