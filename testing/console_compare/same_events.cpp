#include "testing/console_compare/same_events.h"

namespace orbtest {

::testing::AssertionResult SameEvents(const std::vector<std::string>& expected,
                                      const std::vector<std::string>& received)
{
    std::string difference = DiffLines(expected, received);
    if (difference.empty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << difference;
}

::testing::AssertionResult SameEvents(const std::vector<std::string>& expected,
                                      const std::vector<LogEvent>& received)
{
    return SameEvents(expected, Describe(received));
}

}  // namespace orbtest
