#include "app/app.h"
#include "bench/bench.h"

namespace {

struct HookCase {
  const char* ratio_name;
  const char* hooked_name;
  const char* bare_name;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

LRESULT ignore_click(HWND, INT_PTR) { return 0; }

// The runtime and the window library as start-up prepares them, without the main procedure.
HWND open_main_form() {
  start_services(GetModuleHandleA(nullptr));
  return load_form(FORM_NAME, form_callback);
}

void pump_pending_messages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void set_hook(bool installed) {
  if (installed) {
    install_interception_hook();
  } else if (hook_handle) {
    UnhookWindowsHookEx(hook_handle);
    hook_handle = nullptr;
  }
}

double nanoseconds_per_call(HWND form, const HookCase& c, int calls) {
  const LONGLONG start = ticks_now();
  for (int i = 0; i < calls; ++i) SendMessageA(form, c.message, c.wParam, c.lParam);
  return ticks_to_ms(ticks_now() - start) * 1e6 / calls;
}

struct CaseSamples {
  Samples hooked, bare;
};

// Hooked and bare batches alternate, which of them comes first alternates, and the cases
// take turns, so that a busy spell of the machine falls on all of them alike.
void measure(HWND form, const HookCase (&cases)[3], int batches, int calls) {
  CaseSamples samples[3]{};
  for (int batch = 0; batch < batches; ++batch) {
    for (int i = 0; i < 3; ++i) {
      for (int half = 0; half < 2; ++half) {
        const bool with_hook = (batch + half) % 2 == 0;
        set_hook(with_hook);
        add_sample(with_hook ? samples[i].hooked : samples[i].bare,
                   nanoseconds_per_call(form, cases[i], calls));
      }
    }
  }
  set_hook(true);
  for (int i = 0; i < 3; ++i) {
    const double hooked_ns = median(samples[i].hooked), bare_ns = median(samples[i].bare);
    print_figure(cases[i].ratio_name, ratio(hooked_ns, bare_ns), 3);
    print_figure(cases[i].hooked_name, hooked_ns, 0);
    print_figure(cases[i].bare_name, bare_ns, 0);
  }
}

}  // namespace

void run_hook_bench(int batches, int calls_per_batch) {
  HWND form = open_main_form();
  if (!form) {
    std::printf("hook_bench_error: the form did not open\n");
    return;
  }
  HWND width_box = GetDlgItem(form, ID_WIDTH_BOX);
  HWND save_button = GetDlgItem(form, ID_SAVE_BUTTON);
  // The Save handler would write the file on every call; a handler that does nothing stands in.
  bind_handler<WM_COMMAND>(save_button, BN_CLICKED, ignore_click);
  HDC box_dc = GetDC(width_box);
  pump_pending_messages();

  const HookCase cases[] = {
      {"hook_ratio_unbound", "hook_ns_unbound", "bare_ns_unbound", WM_CTLCOLOREDIT,
       reinterpret_cast<WPARAM>(box_dc), reinterpret_cast<LPARAM>(width_box)},
      {"hook_ratio_bound", "hook_ns_bound", "bare_ns_bound", WM_COMMAND,
       MAKEWPARAM(ID_SAVE_BUTTON, BN_CLICKED), reinterpret_cast<LPARAM>(save_button)},
      {"hook_ratio_plain", "hook_ns_plain", "bare_ns_plain", WM_USER, 0, 0},
  };
  measure(form, cases, batches, calls_per_batch);
  print_figure("hook_batches", batches, 0);
  print_figure("hook_calls_per_batch", calls_per_batch, 0);

  ReleaseDC(width_box, box_dc);
  close_window(get_control_id(form));
  pump_pending_messages();
}
