#include "bench/bench.h"

#include <psapi.h>

namespace {

constexpr char FORM_TITLE[] = "Quarvelton Resolution Changer";
constexpr int WIDTH_BOX_ID = 100;
constexpr int HEIGHT_BOX_ID = 101;
constexpr char STORED_WIDTH[] = "1024";
constexpr char STORED_HEIGHT[] = "768";
constexpr DWORD READY_TIMEOUT_MS = 15000;
constexpr DWORD EXIT_TIMEOUT_MS = 15000;
// Memory is read once start-up has settled, not while the last paint is still going on.
constexpr DWORD SETTLE_MS = 200;
constexpr int WARM_UP_PAIRS = 2;

struct RunResult {
  bool ok;
  double ms;
  // PrivateUsage as GetProcessMemoryInfo reports it; Wine leaves that 0 for another process
  // and reports the process's private (anonymous) resident memory as PagefileUsage, which
  // Windows keeps equal to PrivateUsage.
  double private_usage;
  bool private_from_pagefile;
  double committed_private;  // committed MEM_PRIVATE pages, summed from VirtualQueryEx
  double working_set;
};

struct FormSearch {
  HWND found;
};

BOOL CALLBACK match_form(HWND window, LPARAM parameter) {
  char title[64] = "";
  GetWindowTextA(window, title, sizeof title);
  if (lstrcmpA(title, FORM_TITLE) != 0) return TRUE;
  reinterpret_cast<FormSearch*>(parameter)->found = window;
  return FALSE;
}

// Only the windows of the program's own thread are looked at, so that a look costs the
// program, which shares the window server with the driver, as little as possible.
HWND find_form(DWORD thread_id) {
  FormSearch search{nullptr};
  EnumThreadWindows(thread_id, match_form, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// WM_GETTEXT is answered only once the target's thread takes sent messages, that is once it
// waits in its message loop, for both programs alike.
bool box_shows(HWND form, int id, const char* expected) {
  HWND box = GetDlgItem(form, id);
  if (!box) return false;
  char text[16] = "";
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(box, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                           READY_TIMEOUT_MS, &copied))
    return false;
  return lstrcmpA(text, expected) == 0;
}

// The visible form with both stored values, or null when the process gave up or timed out.
HWND wait_until_ready(const PROCESS_INFORMATION& process) {
  // Sleeps until the program first waits for input, usually in its message loop with the
  // form ready; if it was not ready yet, looking every millisecond takes over.
  WaitForInputIdle(process.hProcess, READY_TIMEOUT_MS);
  const DWORD until = GetTickCount() + READY_TIMEOUT_MS;
  while (static_cast<LONG>(until - GetTickCount()) > 0) {
    HWND form = find_form(process.dwThreadId);
    if (form && IsWindowVisible(form) && box_shows(form, WIDTH_BOX_ID, STORED_WIDTH) &&
        box_shows(form, HEIGHT_BOX_ID, STORED_HEIGHT))
      return form;
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

double committed_private_bytes(HANDLE process) {
  double total = 0;
  MEMORY_BASIC_INFORMATION region;
  const char* address = nullptr;
  while (VirtualQueryEx(process, address, &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
      total += static_cast<double>(region.RegionSize);
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return total;
}

void read_memory(HANDLE process, RunResult& result) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
    result.private_from_pagefile = counters.PrivateUsage == 0;
    result.private_usage =
        static_cast<double>(result.private_from_pagefile ? counters.PagefileUsage : counters.PrivateUsage);
    result.working_set = static_cast<double>(counters.WorkingSetSize);
  }
  result.committed_private = committed_private_bytes(process);
}

RunResult start_and_close(const char* program, const char* folder) {
  RunResult result{};
  char command_line[MAX_PATH + 2];
  wsprintfA(command_line, "\"%s\"", program);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const LONGLONG start = ticks_now();
  if (!CreateProcessA(program, command_line, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &process))
    return result;
  HWND form = wait_until_ready(process);
  const LONGLONG ready = ticks_now();
  if (form) {
    result.ms = ticks_to_ms(ready - start);
    Sleep(SETTLE_MS);
    read_memory(process.hProcess, result);
    PostMessageA(form, WM_CLOSE, 0, 0);
  }
  DWORD exit_code = 1;
  if (WaitForSingleObject(process.hProcess, EXIT_TIMEOUT_MS) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, EXIT_TIMEOUT_MS);
  } else {
    GetExitCodeProcess(process.hProcess, &exit_code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  result.ok = form && exit_code == 0;
  return result;
}

struct TargetSamples {
  Samples ms, private_usage, committed_private, working_set;
  int failures;
  bool private_from_pagefile;
};

void record(TargetSamples& samples, const RunResult& run) {
  if (!run.ok) {
    ++samples.failures;
    return;
  }
  add_sample(samples.ms, run.ms);
  add_sample(samples.private_usage, run.private_usage);
  samples.private_from_pagefile = samples.private_from_pagefile || run.private_from_pagefile;
  add_sample(samples.committed_private, run.committed_private);
  add_sample(samples.working_set, run.working_set);
}

}  // namespace

void run_startup_bench(const StartupTargets& targets) {
  for (int i = 0; i < WARM_UP_PAIRS; ++i) {
    start_and_close(targets.program, targets.game_folder);
    start_and_close(targets.baseline, targets.game_folder);
  }
  TargetSamples program{}, baseline{};
  // The two runs of a pair follow each other, so a busy spell of the machine tends to fall on
  // both, or on one as often as on the other; the median of their ratios shrugs it off.
  Samples pair_ratios{};
  const bool show_samples = GetEnvironmentVariableA("QRC_BENCH_SAMPLES", nullptr, 0) != 0;
  for (int i = 0; i < targets.runs; ++i) {
    const RunResult program_run = start_and_close(targets.program, targets.game_folder);
    const RunResult baseline_run = start_and_close(targets.baseline, targets.game_folder);
    record(program, program_run);
    record(baseline, baseline_run);
    if (program_run.ok && baseline_run.ok) add_sample(pair_ratios, ratio(program_run.ms, baseline_run.ms));
    if (show_samples) std::fprintf(stderr, "run %d: %.1f ms, %.1f ms\n", i, program_run.ms, baseline_run.ms);
  }
  const double program_ms = median(program.ms), baseline_ms = median(baseline.ms);
  print_figure("startup_ratio", ratio(program_ms, baseline_ms), 3);
  print_figure("startup_ms_program", program_ms, 1);
  print_figure("startup_ms_baseline", baseline_ms, 1);
  print_figure("startup_ratio_pairs", median(pair_ratios), 3);
  print_figure("startup_runs_each",
               program.ms.count < baseline.ms.count ? program.ms.count : baseline.ms.count, 0);
  print_figure("startup_failures", program.failures + baseline.failures, 0);

  const double program_private = median(program.private_usage),
               baseline_private = median(baseline.private_usage);
  print_figure("private_bytes_ratio", ratio(program_private, baseline_private), 3);
  print_figure("private_bytes_program", program_private, 0);
  print_figure("private_bytes_baseline", baseline_private, 0);
  print_figure("private_bytes_from_pagefile_usage",
               program.private_from_pagefile || baseline.private_from_pagefile, 0);
  const double program_committed = median(program.committed_private);
  const double baseline_committed = median(baseline.committed_private);
  print_figure("committed_private_ratio", ratio(program_committed, baseline_committed), 3);
  print_figure("committed_private_program", program_committed, 0);
  print_figure("committed_private_baseline", baseline_committed, 0);
  print_figure("working_set_ratio", ratio(median(program.working_set), median(baseline.working_set)), 3);
}
