#include <cstdlib>

#include "bench/bench.h"

// bench_driver <game folder> <program> <baseline> [runs] [hook batches] [calls per batch]
// Prints one "name: value" line per figure. A game folder of "-" skips the start-up runs.
int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <game folder> <program> <baseline> [runs] [batches] [calls]\n", argv[0]);
    return 2;
  }
  const int runs = argc > 4 ? std::atoi(argv[4]) : 41;
  const int batches = argc > 5 ? std::atoi(argv[5]) : 15;
  const int calls = argc > 6 ? std::atoi(argv[6]) : 5000;
  if (lstrcmpA(argv[1], "-") != 0) run_startup_bench({argv[1], argv[2], argv[3], runs});
  if (batches > 0) run_hook_bench(batches, calls);
  return 0;
}
