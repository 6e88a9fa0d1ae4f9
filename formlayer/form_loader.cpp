#include "formlayer/formlayer.h"

// A form's window as the designer laid it out, in twips.
struct FormDescription {
  const char* name;
  const char* title;
  int x;
  int y;
  int width;  // of the client area
  int height;
};

static constexpr FormDescription FORMS[] = {
    {FORM_NAME, FORM_TITLE, 5265, 2235, 3165, 630},
};

static_assert(FORM_FLAGS_TOP_LEVEL == 0x00CE0001 && FORM_FLAGS_CHILD == 0x40000400);

static const FormDescription* find_form(const char* normalised_name) {
  for (const FormDescription& form : FORMS) {
    if (strings_equal(normalised_name, form.name)) return &form;
  }
  return nullptr;
}

// The result lives in a string variable of its own, so that a name that is itself a scratch
// temporary survives.
void normalise_form_name(StringVariable& name) {
  char* upper = text_upper(name, scratch_cursor);
  scratch_keep(upper);
  assign_scratch(name, text_trim(upper, scratch_cursor));
  scratch_release(upper);
}

static HWND open_described_form(const FormDescription& form, HWND parent, int as_child,
                                FormCallback callback) {
  const INT_PTR number = open_window(ANY_NUMBER, twips_to_pixels_x(form.x), twips_to_pixels_y(form.y),
                                     twips_to_pixels_x(form.width), twips_to_pixels_y(form.height),
                                     as_child ? FORM_FLAGS_CHILD : FORM_FLAGS_TOP_LEVEL, form.title, parent);
  if (!number) return nullptr;
  HWND handle = window_handle(number);
  if (!handle) return nullptr;
  // Written before the controls exist, so the callback hears of their creation.
  if (callback) SetPropA(handle, PROP_FORM_CALLBACK, reinterpret_cast<HANDLE>(callback));
  if (set_control_parent(handle)) create_form_controls(handle, form.name);
  SetPropA(handle, PROP_ID, reinterpret_cast<HANDLE>(number));
  return handle;
}

HWND load_form(const char* name, FormCallback callback) {
  StringVariable copy = nullptr;
  init_string(copy, name);
  HWND form = open_form_window(copy, nullptr, 0, callback);
  free_string(copy);
  return form;
}

HWND open_form_window(const char* name, HWND parent, int as_child, FormCallback callback) {
  StringVariable normalised = nullptr;
  init_string(normalised, name);
  normalise_form_name(normalised);
  const FormDescription* form = find_form(normalised);
  HWND handle = form ? open_described_form(*form, parent, as_child, callback) : nullptr;
  free_string(normalised);
  return handle;
}
