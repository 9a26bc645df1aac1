// What the scan's fault tests share: a scan through KVFunc that returns every answer, a check
// that a scan left nothing behind, and the answers that differ between two scans.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/fixtures/orb2_fixture.h"
#include "testing/simulated_machine/simulated_machine.h"
#include "tests/inventory/scan/process_usage.h"

using AnswerList = std::vector<std::string>;

// The answers that differ, one per line.
inline std::string Difference(const AnswerList& expected, const AnswerList& actual)
{
    std::string text;
    for (size_t i = 0; i < expected.size() || i < actual.size(); ++i) {
        const std::string e = i < expected.size() ? expected[i] : "(none)";
        const std::string a = i < actual.size() ? actual[i] : "(none)";
        if (e != a)
            text += "  expected " + e + ", got " + a + "\n";
    }
    return text;
}

class ScanFaultFixture : public Orb2Fixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WaitFor(ToolFilesGone, std::chrono::seconds(60))) << "files of an earlier run still in the Windows folder";
        Orb2Fixture::SetUp();
    }

    AnswerList Scan(const simulated_machine::Machine& machine)
    {
        simulation_.SetMachine(machine);
        EXPECT_EQ("", Ask(ORB2_RUN_SCAN));
        return Answers();
    }

    // After a scan: nothing of it left open or in the Windows folder. The tool's processes may
    // still be ending: the handle count is polled.
    void ExpectNothingLeft(unsigned long handlesBefore)
    {
        EXPECT_EQ(0, simulation_.Log().handlesOpen) << "a drive or volume handle left open";
        EXPECT_TRUE(WaitFor(ToolFilesGone, std::chrono::seconds(30))) << "a file of the tool's run left in the Windows folder";
        EXPECT_TRUE(WaitFor([&] { return OpenHandleCount() == handlesBefore; }, std::chrono::seconds(30)))
            << "handles " << handlesBefore << " before, " << OpenHandleCount() << " after";
    }
};
