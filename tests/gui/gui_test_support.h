// The start-up the window library's tests all need.
#pragma once

#include "gui/gui.h"
#include "tests/support/test_support.h"

class GuiTest : public testing::Test {
 protected:
  void SetUp() override {
    init_runtime_for_tests();
    init_windows();
    init_controls();
  }
  void TearDown() override { close_all_windows(); }
};

inline HWND as_hwnd(INT_PTR value) { return reinterpret_cast<HWND>(value); }
