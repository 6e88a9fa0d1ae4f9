// The bench driver: start-up and memory of the program against the bare baseline, and the
// cost of a message that passes the interception hook.
#pragma once

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>

// Medians are taken over this many samples at most.
inline constexpr int MOST_SAMPLES = 101;

struct Samples {
  std::array<double, MOST_SAMPLES> values;
  int count;
};

inline void add_sample(Samples& samples, double value) {
  if (samples.count < MOST_SAMPLES) samples.values[samples.count++] = value;
}

inline double median(Samples samples) {
  if (samples.count == 0) return 0;
  double* first = samples.values.data();
  std::sort(first, first + samples.count);
  const int middle = samples.count / 2;
  return samples.count % 2 ? first[middle] : (first[middle - 1] + first[middle]) / 2;
}

inline double ratio(double measured, double baseline) { return baseline > 0 ? measured / baseline : 0; }

inline LONGLONG ticks_now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

inline double ticks_to_ms(LONGLONG ticks) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline void print_figure(const char* name, double value, int decimals) {
  std::printf("%s: %.*f\n", name, decimals, value);
  std::fflush(stdout);
}

struct StartupTargets {
  const char* game_folder;
  const char* program;
  const char* baseline;
  int runs;  // of each
};

// startup_ratio, the two medians, private_bytes_ratio and what it was made of.
void run_startup_bench(const StartupTargets& targets);
// hook_ratio_unbound, hook_ratio_bound, hook_ratio_plain and the per-call costs.
void run_hook_bench(int batches, int calls_per_batch);
