// Comparing the console stand-ins' logs with expected tables, for EXPECT_TRUE / ASSERT_TRUE.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/standins/console_control/console_log.h"
#include "testing/support/line_diff.h"  // DiffLines

namespace orbtest {

// Succeeds when equal, else fails with the difference (DiffLines).
::testing::AssertionResult SameEvents(const std::vector<std::string>& expected,
                                      const std::vector<LogEvent>& received);
::testing::AssertionResult SameEvents(const std::vector<std::string>& expected,
                                      const std::vector<std::string>& received);

}  // namespace orbtest
