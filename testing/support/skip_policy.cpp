// Linked into every Windows test program (orb_add_wine_test): a skipped test must say why, by a
// message that starts "host: " (a condition of the host it runs on, such as its keyboard layout)
// or "child: " (a test that runs only in a child process its parent test starts). Any other skip
// prints the line that orb_add_wine_test's FAIL_REGULAR_EXPRESSION fails the test on, for CTest
// counts a skip as a pass; a host skip prints a line that testing/session/wine-tests.sh counts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class SkipPolicy : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo& test) override
    {
        const ::testing::TestResult& result = *test.result();
        if (!result.Skipped())
            return;
        std::string reason;
        for (int i = 0; i < result.total_part_count(); ++i) {
            if (result.GetTestPartResult(i).skipped())
                reason = result.GetTestPartResult(i).message();
        }
        const std::string name = std::string(test.test_suite_name()) + "." + test.name();
        if (reason.rfind("child: ", 0) == 0)
            return;
        if (reason.rfind("host: ", 0) == 0)
            std::printf("skipped for a host condition: %s: %s\n", name.c_str(), reason.c_str() + 6);
        else
            std::printf("SKIPPED WITHOUT A HOST CONDITION: %s: %s\n", name.c_str(), reason.c_str());
        std::fflush(stdout);
    }
};

const bool registered = (::testing::UnitTest::GetInstance()->listeners().Append(new SkipPolicy), true);

}  // namespace
