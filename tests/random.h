// splitmix64, so that every run of a property test checks the same tables.
#ifndef ZONE2LAS_TESTS_RANDOM_H_
#define ZONE2LAS_TESTS_RANDOM_H_

#include <cstdint>

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A whole number from |low| to |high|, both included.
  long Between(long low, long high) {
    return low + static_cast<long>(Next() %
                                   static_cast<std::uint64_t>(high - low + 1));
  }
  bool OneIn(int n) { return Next() % static_cast<std::uint64_t>(n) == 0; }

 private:
  std::uint64_t state_;
};

#endif  // ZONE2LAS_TESTS_RANDOM_H_
