// The whole inventory scan under Wine, through KVFunc only: orb2.dll's device calls go to a
// simulated machine, while the RAID tool chain runs for real (Raidcfg32.exe and G.bat written to
// the Windows folder, cmd runs the batch file, the stand-in raidcfg32.exe writes Graid.txt from
// the machine's "raid_state", orb2 loads and parses it and deletes the three files).
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/simulated_machine/simulated_machine.h"
#include "testing/fixtures/orb2_fixture.h"

namespace {

using simulated_machine::Machine;

// Three drives: two fixed disks the RAID driver may list and a removable stick. Serial numbers
// and the stick's model carry lower-case letters so that the scan's upper-casing shows.
//   slot 0  "wd-wcav12345678", partitioned; identity row "WCAV12345678" (a substring)
//   slot 1  "5vmktz9q", blank; identity row "5VMKTZ9Q"
//   slot 2  removable "usbstick10" / "flash drive lc", blank; identity row equal in both
const char* const kDrives = R"(
  "physical_drives": [
    {"slot": 0,
     "identify": {"model": "WDC WD5000AAKS-00V1A0", "serial": "wd-wcav12345678", "firmware": "05.01D05",
                  "general_configuration": 64, "sectors": 976773168},
     "descriptor": {"vendor": null, "product": "WDC WD5000AAKS-00V1A0", "revision": "05.01D05",
                    "serial": "cwva21436587"},
     "size": 500107862016, "sector0": "partitioned"},
    {"slot": 1,
     "identify": {"model": "ST3500418AS", "serial": "5vmktz9q", "firmware": "CC38",
                  "general_configuration": 64, "sectors": 976773168},
     "descriptor": {"vendor": null, "product": "ST3500418AS", "revision": "CC38", "serial": "V5KMZTQ9"},
     "size": 500107862016, "sector0": "blank"},
    {"slot": 2,
     "identify": {"model": "flash drive lc", "serial": "usbstick10", "firmware": "1.00",
                  "general_configuration": 128, "sectors": 7813120},
     "descriptor": {"vendor": "Generic", "product": "FLASH DRIVE LC", "revision": "1.00", "serial": "SUSBITKC01"},
     "size": 4000317440, "sector0": "blank"}
  ],
  "drive_letters": [
    {"letter": "C", "device_type": 7, "device_number": 0},
    {"letter": "E", "device_type": 7, "device_number": 2}
  ])";

// Slot 1 listed first: its report order is 0. Slot 0 is a member of the one array.
const char* const kMirrorState = R"({
  "disks": [
    {"serial": "5VMKTZ9Q", "bus_id": 3, "summary": "Non-RAID Disk"},
    {"serial": "wd-wcav12345678", "bus_id": "1A", "summary": "ArrayMember"}
  ],
  "volumes": [ {"name": "ORB", "serial": "ORBVOL0", "state": "Normal"} ],
  "arrays": [ {"total_mb": 476940} ]
})";

// The RAID driver lists slot 0 alone and no array: slot 1 is a fixed disk it does not control.
const char* const kNoArrayState = R"({
  "disks": [ {"serial": "WD-WCAV12345678", "bus_id": 0, "summary": "Non-RAID Disk"} ]
})";

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

Machine MachineWith(const std::string& raidState)
{
    Machine machine;
    std::string error;
    std::string json = std::string("{") + kDrives + (raidState.empty() ? "" : ", \"raid_state\": " + raidState) + "}";
    EXPECT_TRUE(simulated_machine::ParseMachine(json, machine, error)) << error;
    return machine;
}

// A raid_state whose report is the given text, written verbatim by the stand-in.
std::string VerbatimReport(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        if (c == '\r')
            escaped += "\\r";
        else if (c == '\n')
            escaped += "\\n";
        else if (c == '\t')
            escaped += "\\t";
        else if (c == '"' || c == '\\')
            escaped += std::string("\\") + c;
        else
            escaped += c;
    }
    return "{\"report_text\": \"" + escaped + "\"}";
}

class ScanEndToEndTest : public Orb2Fixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WaitFor(ToolFilesGone, std::chrono::seconds(60))) << "files of an earlier run still in the Windows folder";
        Orb2Fixture::SetUp();
    }
    void Attach(const std::string& raidState) { AttachMachine(MachineWith(raidState)); }
    // Query 0; the three files of the tool run are gone when it returns.
    void Scan()
    {
        EXPECT_EQ("", Ask(ORB2_RUN_SCAN));
        EXPECT_FALSE(Exists(WindowsFile("Raidcfg32.exe")));
        EXPECT_FALSE(Exists(WindowsFile("G.bat")));
        EXPECT_FALSE(Exists(WindowsFile("Graid.txt")));
    }
    std::vector<std::string> Column(unsigned int type, int rows)
    {
        std::vector<std::string> values;
        for (int i = 0; i < rows; ++i)
            values.push_back(Ask(type, i));
        return values;
    }
    using Texts = std::vector<std::string>;
};

TEST_F(ScanEndToEndTest, WholeChainWithAnArrayAndAVolume)
{
    Attach(kMirrorState);
    Scan();

    // The tool was started through the batch file, hidden, once.
    ASSERT_EQ(1u, simulation_.Log().winExecs.size());
    EXPECT_EQ(WindowsFile("G.bat"), simulation_.Log().winExecs[0]);

    ASSERT_EQ("3", Ask(ORB2_DISK_COUNT));
    EXPECT_EQ((Texts{"0", "1", "2"}), Column(2, 3));
    // Serial numbers compared with the identity list and the report are stored upper-cased, and
    // so is the model of the removable stick compared with its identity row.
    EXPECT_EQ((Texts{"WD-WCAV12345678", "5VMKTZ9Q", "USBSTICK10"}), Column(4, 3));
    EXPECT_EQ((Texts{"WDC WD5000AAKS-00V1A0", "ST3500418AS", "FLASH DRIVE LC"}), Column(3, 3));
    EXPECT_EQ((Texts{"Fixed", "Fixed", "Removable"}), Column(6, 3));
    EXPECT_EQ((Texts{"500107862016", "500107862016", "4000317440"}), Column(7, 3));
    // "Total Arrays = 1": nothing is marked "no".
    EXPECT_EQ((Texts{"ok", "ok", "ok"}), Column(8, 3));
    // Order of the report's serial numbers that matched: slot 1 first.
    EXPECT_EQ((Texts{"1", "0", "0"}), Column(10, 3));
    // empty_flag from the identity rows: the removable stick's because serial and model match.
    EXPECT_EQ((Texts{"0", "1", "1"}), Column(22, 3));

    ASSERT_EQ("2", Ask(ORB2_RAID_DISK_COUNT));
    EXPECT_EQ((Texts{"0", "1", "-1", "-1", "-1", "-1"}), Column(12, 6));
    // The non-member is matched against the disks and upper-cased; the array member takes the
    // array's total without a match and keeps the tool's spelling.
    EXPECT_EQ((Texts{"5VMKTZ9Q", "wd-wcav12345678"}), Column(13, 2));
    // The non-member takes its disk's size and blank flag; the member the array's total.
    EXPECT_EQ((Texts{"500107862016", "476940999999"}), Column(14, 2));
    EXPECT_EQ((Texts{"no", "yes"}), Column(15, 2));
    EXPECT_EQ((Texts{"3", "1"}), Column(23, 2));
    EXPECT_EQ((Texts{"1", "0"}), Column(21, 2));
    EXPECT_EQ("1", Ask(ORB2_RAID_VOLUME_STATE));
    EXPECT_EQ("1", Ask(ORB2_RAID_VOLUME_STATE_AGAIN));
    EXPECT_EQ("476940999999", Ask(ORB2_ARRAY_TOTAL_MB));
    EXPECT_EQ("-1", Ask(ORB2_MIGRATION));
    EXPECT_EQ("no", Ask(ORB2_ALWAYS_NO));

    EXPECT_EQ("0", Ask(ORB2_LETTER_DISK_NUMBER, 0, "c"));
    EXPECT_EQ("2", Ask(ORB2_LETTER_DISK_NUMBER, 0, "E"));
    EXPECT_EQ(0, simulation_.Log().handlesOpen);
}

TEST_F(ScanEndToEndTest, SummaryValuesFromTheToolsReport)
{
    struct Case {
        const char* name;
        const char* state;
        const char* volumeState;
        const char* migration;
        const char* arrayTotal;
    } cases[] = {
        {"healthy volume", kMirrorState, "1", "-1", "476940999999"},
        {"migrating volume",
         R"({"disks": [{"serial": "5VMKTZ9Q", "summary": "ArrayMember"}],
             "volumes": [{"serial": "ORBVOL0", "migration_percent": 45}], "arrays": [{"total_mb": 953869}]})",
         "-1", " 45", "953869999999"},
        {"degraded volume",
         R"({"disks": [{"serial": "5VMKTZ9Q", "summary": "ArrayMember"}],
             "volumes": [{"serial": "ORBVOL0", "state": "Degraded"}], "arrays": [{"total_mb": 100}]})",
         "-1", "-1", "100999999"},
        {"no RAID at all", kNoArrayState, "0", "-1", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        simulation_.Detach();
        Attach(c.state);
        Scan();
        EXPECT_EQ(c.volumeState, Ask(ORB2_RAID_VOLUME_STATE));
        EXPECT_EQ(c.volumeState, Ask(ORB2_RAID_VOLUME_STATE_AGAIN));
        EXPECT_EQ(c.migration, Ask(ORB2_MIGRATION));
        EXPECT_EQ(c.arrayTotal, Ask(ORB2_ARRAY_TOTAL_MB));
    }
}

TEST_F(ScanEndToEndTest, WithoutArraysFixedDisksTheToolDoesNotListAreMarkedNo)
{
    Attach(kNoArrayState);
    Scan();
    ASSERT_EQ("3", Ask(ORB2_DISK_COUNT));
    EXPECT_EQ((Texts{"ok", "no", "ok"}), Column(8, 3));  // the removable stick keeps "ok"
    ASSERT_EQ("1", Ask(ORB2_RAID_DISK_COUNT));
    EXPECT_EQ("WD-WCAV12345678", Ask(ORB2_RAID_DISK_SERIAL_NUMBER, 0));
    EXPECT_EQ("no", Ask(ORB2_RAID_DISK_ARRAY_MEMBER, 0));
    EXPECT_EQ("500107862016", Ask(ORB2_RAID_DISK_SIZE_TEXT, 0));
    EXPECT_EQ("0", Ask(ORB2_RAID_DISK_EMPTY_FLAG, 0));
    EXPECT_EQ("0", Ask(ORB2_RAID_DISK_BUS_ID, 0));
    EXPECT_EQ("0", Ask(ORB2_RAID_VOLUME_STATE));
    EXPECT_EQ("0", Ask(ORB2_ARRAY_TOTAL_MB));
}

TEST_F(ScanEndToEndTest, ToolFailingOnTheFirstScanLeavesEveryRaidRowUnused)
{
    // The tool prints an error and exits 5: cmd's redirection leaves an empty Graid.txt.
    Attach(R"({"behaviour": "fail", "exit_code": 5})");
    Scan();
    EXPECT_EQ("3", Ask(ORB2_DISK_COUNT));  // the drives are still found
    EXPECT_EQ("0", Ask(ORB2_RAID_DISK_COUNT));
    EXPECT_EQ((Texts{"-1", "-1", "-1", "-1", "-1", "-1"}), Column(12, 6));
    EXPECT_EQ((Texts{"ok", "ok", "ok"}), Column(8, 3));
    EXPECT_EQ((Texts{"0", "0", "0"}), Column(10, 3));
    EXPECT_EQ("-1", Ask(ORB2_RAID_VOLUME_STATE));
    EXPECT_EQ("-1", Ask(ORB2_MIGRATION));
    EXPECT_EQ("", Ask(ORB2_ARRAY_TOTAL_MB));  // no "RAID Arrays" heading ever seen
}

TEST_F(ScanEndToEndTest, ToolThatNeverFinishesOnALaterScanLeavesTheEarlierReport)
{
    Attach(kMirrorState);
    Scan();
    ASSERT_EQ("2", Ask(ORB2_RAID_DISK_COUNT));

    // The tool keeps Graid.txt open and writes nothing for 14 s: the load gives up after its ten
    // pauses and the scan works on the report of the first scan.
    Machine hanging = MachineWith(R"({"behaviour": "hang", "delay_ms": 14000})");
    hanging.drives.erase(hanging.drives.begin());  // slot 0 gone: the rows must come from this scan
    simulation_.SetMachine(hanging);
    EXPECT_EQ("", Ask(ORB2_RUN_SCAN));
    EXPECT_EQ("2", Ask(ORB2_DISK_COUNT));
    EXPECT_EQ((Texts{"1", "2"}), Column(2, 2));
    ASSERT_EQ("2", Ask(ORB2_RAID_DISK_COUNT));
    EXPECT_EQ((Texts{"0", "1", "-1", "-1", "-1", "-1"}), Column(12, 6));
    EXPECT_EQ((Texts{"5VMKTZ9Q", "wd-wcav12345678"}), Column(13, 2));
    EXPECT_EQ((Texts{"no", "yes"}), Column(15, 2));
    EXPECT_EQ("476940999999", Ask(ORB2_RAID_DISK_SIZE_TEXT, 1));
    EXPECT_EQ("1", Ask(ORB2_RAID_VOLUME_STATE));
    // Slot 1, now row 0, is first in the old report; row 1 (slot 2) matches nothing and keeps
    // the order row 1 had in the first scan (slot 1's 0).
    EXPECT_EQ((Texts{"0", "0"}), Column(10, 2));

    // The hanging tool still holds its files; once it has ended, the next scan removes all three.
    simulation_.SetMachine(MachineWith(kMirrorState));
    ASSERT_TRUE(WaitFor([] {
        HANDLE h = CreateFileA(WindowsFile("Graid.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return GetLastError() != ERROR_SHARING_VIOLATION;
        CloseHandle(h);
        return true;
    }, std::chrono::seconds(60)));
    Scan();
    EXPECT_EQ("3", Ask(ORB2_DISK_COUNT));
}

TEST_F(ScanEndToEndTest, FailingToolOnALaterScanGivesAnEmptyReport)
{
    Attach(kMirrorState);
    Scan();
    ASSERT_EQ("2", Ask(ORB2_RAID_DISK_COUNT));
    simulation_.SetMachine(MachineWith(R"({"behaviour": "fail", "exit_code": 1})"));
    Scan();
    EXPECT_EQ("0", Ask(ORB2_RAID_DISK_COUNT));
    EXPECT_EQ((Texts{"-1", "-1", "-1", "-1", "-1", "-1"}), Column(12, 6));
    EXPECT_EQ("-1", Ask(ORB2_RAID_VOLUME_STATE));
    // No "RAID Arrays" heading in the empty report: the total of the first scan stays.
    EXPECT_EQ("476940999999", Ask(ORB2_ARRAY_TOTAL_MB));
}

TEST_F(ScanEndToEndTest, RowsBeyondASmallerSecondReportAreMinusOne)
{
    Attach(R"({"disks": [
        {"serial": "5VMKTZ9Q", "bus_id": 1}, {"serial": "WD-WCAV12345678", "bus_id": 2},
        {"serial": "OTHERDISK1", "bus_id": 4}, {"serial": "OTHERDISK2", "bus_id": 5}]})");
    Scan();
    ASSERT_EQ("4", Ask(ORB2_RAID_DISK_COUNT));
    EXPECT_EQ((Texts{"0", "1", "2", "3", "-1", "-1"}), Column(12, 6));

    simulation_.SetMachine(MachineWith(R"({"disks": [{"serial": "WD-WCAV12345678", "bus_id": 7}]})"));
    Scan();
    ASSERT_EQ("1", Ask(ORB2_RAID_DISK_COUNT));
    EXPECT_EQ((Texts{"0", "-1", "-1", "-1", "-1", "-1"}), Column(12, 6));
    EXPECT_EQ("WD-WCAV12345678", Ask(ORB2_RAID_DISK_SERIAL_NUMBER, 0));
    EXPECT_EQ("7", Ask(ORB2_RAID_DISK_BUS_ID, 0));
    // Unused rows are emptied except for their bus id and blank flag.
    EXPECT_EQ((Texts{"WD-WCAV12345678", "", "", ""}), Column(13, 4));
    EXPECT_EQ((Texts{"500107862016", "", "", ""}), Column(14, 4));
    EXPECT_EQ((Texts{"no", "", "", ""}), Column(15, 4));
    EXPECT_EQ((Texts{"7", "2", "4", "5"}), Column(23, 4));
}

TEST_F(ScanEndToEndTest, ValuesThatPersistAcrossScans)
{
    Attach(kMirrorState);
    Scan();
    ASSERT_EQ((Texts{"1", "0", "0"}), Column(10, 3));
    ASSERT_EQ((Texts{"0", "1", "1"}), Column(22, 3));
    ASSERT_EQ((Texts{"3", "1"}), Column(23, 2));
    ASSERT_EQ((Texts{"1", "0"}), Column(21, 2));

    // Second scan: no drive has an identity row, the report lists slot 1 as an array member
    // without a bus id, names no other disk and has no "RAID Arrays" heading.
    Machine second = MachineWith(VerbatimReport(
        "Physical Disks:\r\n\r\nDisk 0\r\n    SerialNo:5VMKTZ9Q\r\n    Summary:ArrayMember\r\n"
        "Total Physical Disks = 1\r\n\r\nRAID Volumes:\r\nTotal Volumes = 0\r\n"));
    for (auto& drive : second.drives)
        drive.hasDescriptor = false;
    simulation_.SetMachine(second);
    Scan();

    ASSERT_EQ("3", Ask(ORB2_DISK_COUNT));
    EXPECT_EQ((Texts{"1", "0", "0"}), Column(10, 3)) << "slot 0 keeps its report order; slot 1 is again first";
    EXPECT_EQ((Texts{"0", "1", "1"}), Column(22, 3)) << "no identity row: every blank flag stays";
    EXPECT_EQ("476940999999", Ask(ORB2_ARRAY_TOTAL_MB)) << "no \"RAID Arrays\" heading: the earlier total stays";
    ASSERT_EQ("1", Ask(ORB2_RAID_DISK_COUNT));
    EXPECT_EQ("yes", Ask(ORB2_RAID_DISK_ARRAY_MEMBER, 0));
    EXPECT_EQ("3", Ask(ORB2_RAID_DISK_BUS_ID, 0)) << "no \"BusId:0x\": the row keeps its earlier bus id";
    EXPECT_EQ("476940999999", Ask(ORB2_RAID_DISK_SIZE_TEXT, 0)) << "an array member takes the (kept) total";
    EXPECT_EQ("1", Ask(ORB2_RAID_DISK_EMPTY_FLAG, 0)) << "an array member's blank flag is not written";
    EXPECT_EQ("0", Ask(ORB2_RAID_VOLUME_STATE));
    EXPECT_EQ("-1", Ask(ORB2_MIGRATION));
}

TEST_F(ScanEndToEndTest, QueriesThreeFourAndThirteenAnswerTheUpperCasedTexts)
{
    // Lower-case serial numbers in the report too: the parser upper-cases its own rows when it
    // matches them against the disks.
    Attach(R"({"disks": [{"serial": "5vmktz9q"}, {"serial": "wcav12345678"}]})");
    Scan();
    EXPECT_EQ("WD-WCAV12345678", Ask(ORB2_DISK_SERIAL_NUMBER, 0));
    EXPECT_EQ("5VMKTZ9Q", Ask(ORB2_DISK_SERIAL_NUMBER, 1));
    EXPECT_EQ("FLASH DRIVE LC", Ask(ORB2_DISK_MODEL, 2));
    EXPECT_EQ("WDC WD5000AAKS-00V1A0", Ask(ORB2_DISK_MODEL, 0));
    EXPECT_EQ((Texts{"5VMKTZ9Q", "WCAV12345678"}), Column(13, 2));
    EXPECT_EQ((Texts{"1", "0"}), Column(21, 2));  // the blank slot 1, the partitioned slot 0
    EXPECT_EQ((Texts{"500107862016", "500107862016"}), Column(14, 2));
}

}  // namespace
