#include <gtest/gtest.h>

#include "tests/support/test_support.h"

TEST(Registry, Smoke) {
  init_runtime_for_tests();
  EXPECT_EQ(file_registry.core.capacity, 10);
}
