// The lines of wells that come back after other wells' lines (a table sorted
// by formation takes every well in turn), kept as their text until their
// wells' turn: when the lines kept pass a fixed amount of memory, and once
// the table has been read. Then each well's file is reopened once and its
// lines are written together, so that a well reopens its file a few times,
// not once a line, and the memory a run keeps for them stays bounded.
#ifndef ZONE2LAS_CONVERT_RETURNING_LINES_H_
#define ZONE2LAS_CONVERT_RETURNING_LINES_H_

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/string.h"

class ReturningLines {
 public:
  // What the lines kept may take, with what keeps them. A well keeps the
  // memory its lines took for its lines to come, while they come back
  // between one writing and the next, so that the memory held stays within
  // a few times this.
  static constexpr std::size_t kMostBytes = std::size_t{8} << 20;

  // Keeps |line|, number |number| of the table, a line of the well known as
  // |well| (any value that is the same for every name of one well).
  void Keep(long number, const String& line, const void* well);

  bool empty() const { return used_ == 0; }
  // Whether the lines kept have reached kMostBytes.
  bool Full() const { return used_ >= kMostBytes; }

  // Gives every line kept to |take|, with its number: the lines of each
  // well together, the wells in the order they were first kept, each well's
  // lines in table order. Then forgets them all.
  void TakeAll(const std::function<void(long, const String&)>& take);

 private:
  // One well's lines, one after the other, each as its number, its length
  // and its text, so that a well's lines are read back in one sweep.
  struct WellLines {
    const void* well;
    std::string lines;
  };

  std::vector<WellLines> wells_;
  std::unordered_map<const void*, std::size_t> place_;
  // The lines kept, and what keeps them.
  std::size_t used_ = 0;
};

#endif  // ZONE2LAS_CONVERT_RETURNING_LINES_H_
