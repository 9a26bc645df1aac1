// The wizard steps' actions, linked in: what a console start answers when it cannot start.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "automation/wizards/wizard_actions.h"

namespace {

// Callers read WinExec's results above 31 as "started": every failure must stay at or below it.
TEST(StartConsole, AnswersWinExecFailureWhenNothingStarts)
{
    const struct {
        const char* what;
        std::string path;
    } cases[] = {
        {"quoted command line longer than its buffer", "C:\\" + std::string(300, 'x') + ".exe"},
        {"no such program", "C:\\no such folder\\IAStorUI.exe"},
    };
    for (const auto& c : cases) {
        const UINT answer = wizard::StartConsole(c.path.c_str(), SW_HIDE);
        EXPECT_LE(answer, 31u) << c.what;
    }
}

}  // namespace
