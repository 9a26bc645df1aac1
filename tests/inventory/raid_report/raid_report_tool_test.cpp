// The RAID tool run for real under Wine: the resources of this program are written to the
// Windows folder, cmd runs G.bat, the stand-in raidcfg32.exe writes Graid.txt from the state file
// named by ORB_RAIDCFG32_STATE, and the report is loaded and parsed.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "inventory/raid_report/raid_report_parser.h"
#include "inventory/raid_report/raid_report_win32.h"
#include "inventory/raid_report/report_buffer.h"
#include "testing/support/file_text_win32.h"
#include "testing/support/wait_for.h"

namespace {

std::string WindowsFolder()
{
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, sizeof folder);
    return folder;
}

std::string InWindows(const char* name) { return WindowsFolder() + "\\" + name; }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteAll(const std::string& path, const std::string& text)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

std::string TempPath(const char* name)
{
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const char* const kTwoDiskState = R"({
  "disks": [
    {"serial": "WD-WCAV11111111", "bus_id": 0, "summary": "ArrayMember", "model": "WDC WD5000AAKS"},
    {"serial": "S2A2B2C2", "bus_id": "1A", "summary": "ArrayMember"}
  ],
  "volumes": [ {"name": "ORB", "serial": "ORBVOL0", "state": "Normal"} ],
  "arrays": [ {"total_mb": 476940} ])";

class RaidReportToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        statePath_ = TempPath("raidcfg32_state.json");
        ReleaseReportBuffer();
    }
    void TearDown() override
    {
        // A tool still running keeps its files open: wait until all three are gone.
        WaitFor([] {
            RemoveRaidReportFiles();
            return !Exists(InWindows("Graid.txt")) && !Exists(InWindows("G.bat")) && !Exists(InWindows("Raidcfg32.exe"));
        }, std::chrono::seconds(60));
        SetEnvironmentVariableA("ORB_RAIDCFG32_STATE", nullptr);
        DeleteFileA(statePath_.c_str());
        ReleaseReportBuffer();
    }
    void UseState(const std::string& json)
    {
        WriteAll(statePath_, json);
        SetEnvironmentVariableA("ORB_RAIDCFG32_STATE", statePath_.c_str());
    }
    std::string Loaded() const { return reportBuffer ? std::string(reportBuffer) : std::string("<no buffer>"); }

    std::string statePath_;
};

TEST_F(RaidReportToolTest, WholeChainWritesRunsLoadsAndRemoves)
{
    UseState(std::string(kTwoDiskState) + "}");
    SetCurrentDirectoryA("C:\\");
    RunRaidReportTool();

    // The three files are in the Windows folder until the end of the scan.
    EXPECT_TRUE(Exists(InWindows("Raidcfg32.exe")));
    EXPECT_EQ("raidcfg32.exe /I >Graid.txt\r\n", ReadWholeFile(InWindows("G.bat")));
    EXPECT_TRUE(Exists(InWindows("Graid.txt")));
    EXPECT_EQ(ReadWholeFile(InWindows("Graid.txt")), Loaded());

    // The current directory is the folder of this module, with its backslash.
    char current[MAX_PATH] = {}, module[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof current, current);
    GetModuleFileNameA(nullptr, module, sizeof module);
    *(std::strrchr(module, '\\') + 1) = '\0';
    EXPECT_STREQ(module, moduleFolder);
    EXPECT_EQ(0, lstrcmpiA((std::string(current) + "\\").c_str(), moduleFolder));

    TakeReportText();
    auto inv = std::make_unique<Inventory>();
    ParseRaidReport(reportText, *inv);
    ASSERT_EQ(2, inv->raidDiskCount);
    EXPECT_STREQ("WD-WCAV11111111", inv->raidDisks[0].serial_number);
    EXPECT_STREQ("0", inv->raidDisks[0].bus_id);
    EXPECT_STREQ("S2A2B2C2", inv->raidDisks[1].serial_number);
    EXPECT_STREQ("1", inv->raidDisks[1].bus_id);
    EXPECT_STREQ("yes", inv->raidDisks[1].array_member);
    EXPECT_EQ(1, inv->raidVolumeState);
    EXPECT_STREQ("476940999999", inv->arrayTotalMbText);
    EXPECT_STREQ("476940999999", inv->raidDisks[0].size_text);

    RemoveRaidReportFiles();
    EXPECT_FALSE(Exists(InWindows("Graid.txt")));
    EXPECT_FALSE(Exists(InWindows("G.bat")));
    EXPECT_FALSE(Exists(InWindows("Raidcfg32.exe")));
}

TEST_F(RaidReportToolTest, WithoutAStateFileNoArrayAndNoVolume)
{
    RunRaidReportTool();
    TakeReportText();
    auto inv = std::make_unique<Inventory>();
    ParseRaidReport(reportText, *inv);
    EXPECT_NE(std::string::npos, reportText.find("Total Physical Disks = ")) << reportText;
    EXPECT_EQ(0, inv->raidVolumeState);
    EXPECT_EQ(0, inv->raidArrayState);
    EXPECT_STREQ("0", inv->arrayTotalMbText);
    for (int r = 0; r < inv->raidDiskCount; ++r)
        EXPECT_STREQ("no", inv->raidDisks[r].array_member);
}

TEST_F(RaidReportToolTest, ReportStillBeingWrittenIsLoadedOnlyWhenComplete)
{
    // The tool writes its disks, pauses 2.5 s, then writes volumes and arrays: a load while it
    // pauses would see a report without "Total Arrays".
    UseState(std::string(kTwoDiskState) + R"(, "behaviour": "slow", "delay_ms": 2500})");
    const auto start = std::chrono::steady_clock::now();
    RunRaidReportTool();
    EXPECT_GE(SecondsSince(start), 2.4);
    EXPECT_NE(std::string::npos, Loaded().find("Total Arrays = 1")) << Loaded();
    EXPECT_NE(std::string::npos, Loaded().find("Total Physical Disks = 2")) << Loaded();
}

TEST_F(RaidReportToolTest, FailingToolGivesAnEmptyReport)
{
    UseState(R"({"behaviour": "fail", "exit_code": 5})");
    RunRaidReportTool();
    ASSERT_NE(nullptr, reportBuffer);
    EXPECT_EQ("", Loaded());
}

TEST_F(RaidReportToolTest, ToolThatNeverFinishesLeavesTheEarlierReport)
{
    const std::string earlier = TempPath("earlier_report.txt");
    WriteAll(earlier, "earlier report\r\nTotal Arrays = 0\r\n");
    ASSERT_TRUE(LoadWholeFile(earlier.c_str()));
    DeleteFileA(earlier.c_str());

    UseState(R"({"behaviour": "hang", "delay_ms": 14000})");
    const auto start = std::chrono::steady_clock::now();
    RunRaidReportTool();
    const double seconds = SecondsSince(start);
    EXPECT_GE(seconds, 9.5);   // ten pauses of 1000 ms at most ...
    EXPECT_LT(seconds, 13.5);  // ... and no more
    EXPECT_EQ("earlier report\r\nTotal Arrays = 0\r\n", Loaded());
}

TEST_F(RaidReportToolTest, LeftoverReportOfAnEarlierRunIsNotLoaded)
{
    WriteAll(InWindows("Graid.txt"), "stale report\r\n");
    UseState(std::string(kTwoDiskState) + "}");
    RunRaidReportTool();
    EXPECT_EQ(std::string::npos, Loaded().find("stale")) << Loaded();
    EXPECT_NE(std::string::npos, Loaded().find("Total Volumes = 1"));
}

TEST(ExtractBinaryResource, WritesEachResourceWhole)
{
    const std::string batch = TempPath("extracted_batch.bin");
    ASSERT_TRUE(ExtractBinaryResource(kRaidBatchResource, batch.c_str()));
    EXPECT_EQ(std::string("raidcfg32.exe /I >Graid.txt\r\n"), ReadWholeFile(batch));
    EXPECT_EQ(29u, ReadWholeFile(batch).size());
    DeleteFileA(batch.c_str());

    const std::string tool = TempPath("extracted_tool.exe");
    ASSERT_TRUE(ExtractBinaryResource(kRaidToolResource, tool.c_str()));
    EXPECT_EQ("MZ", ReadWholeFile(tool).substr(0, 2));
    DeleteFileA(tool.c_str());
}

TEST(ExtractBinaryResource, MissingResourceOrUnwritablePathGivesNoFile)
{
    const std::string missing = TempPath("missing_resource.bin");
    EXPECT_FALSE(ExtractBinaryResource(999, missing.c_str()));
    EXPECT_FALSE(Exists(missing));
    EXPECT_FALSE(ExtractBinaryResource(kRaidBatchResource, "C:\\no such folder\\G.bat"));
}

}  // namespace
