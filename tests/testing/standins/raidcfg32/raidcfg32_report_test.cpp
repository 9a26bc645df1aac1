// The stand-in's report for "/I": its shape, read back with orb2's own parser and serial list.
#include "testing/standins/raidcfg32/raid_state.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "inventory/raid_report/raid_report_parser.h"
#include "inventory/scan/report_rules.h"

namespace {

std::string Whole(const RaidState& state)
{
    const RaidReport report = WriteRaidReport(state);
    return report.disks + report.rest;
}

RaidState Read(const std::string& json)
{
    RaidState state;
    std::string error;
    EXPECT_TRUE(ReadRaidState(json, state, error)) << error;
    return state;
}

TEST(RaidCfg32Report, EveryLineEndsInCarriageReturnLineFeed)
{
    const std::string text = Whole(Read(R"({"disks":[{"serial":"A1"}],"volumes":[{"serial":"V"}],"arrays":[{"total_mb":5}]})"));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ("\r\n", text.substr(text.size() - 2));
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            EXPECT_EQ('\r', text[i - 1]) << "line feed alone at " << i;
        }
        if (text[i] == '\r') {
            EXPECT_EQ('\n', text[i + 1]) << "carriage return alone at " << i;
        }
    }
}

TEST(RaidCfg32Report, ReadsBackThroughTheParser)
{
    const RaidState state = Read(R"({
      "disks": [
        {"serial": "WD-1111", "bus_id": 0, "summary": "ArrayMember", "model": "WDC WD5000"},
        {"serial": "ST-2222", "bus_id": 26, "summary": "ArrayMember"},
        {"serial": "USB-3", "bus_id": "2", "summary": "Non-RAID Disk"}
      ],
      "volumes": [ {"name": "ORB", "serial": "VOL-9", "migration_percent": 45} ],
      "arrays": [ {"total_mb": 476940} ]
    })");
    const std::string text = Whole(state);
    auto inv = std::make_unique<Inventory>();
    ParseRaidReport(text, *inv);
    ASSERT_EQ(3, inv->raidDiskCount) << text;
    EXPECT_STREQ("WD-1111", inv->raidDisks[0].serial_number);
    EXPECT_STREQ("1", inv->raidDisks[1].bus_id);  // 26 is 0x1A
    EXPECT_STREQ("2", inv->raidDisks[2].bus_id);
    EXPECT_STREQ("yes", inv->raidDisks[1].array_member);
    EXPECT_STREQ("no", inv->raidDisks[2].array_member);
    EXPECT_STREQ(" 45", inv->migrationText);
    EXPECT_EQ(-1, inv->raidVolumeState);  // one volume on one array, migrating: not "Normal"
    EXPECT_STREQ("476940999999", inv->arrayTotalMbText);

    CollectReportSerialList(text, *inv);
    ASSERT_EQ(4, inv->reportSerialCount);
    EXPECT_STREQ("VOL-9\tSummary:Migration: 45%", inv->reportSerialList[3]);
}

TEST(RaidCfg32Report, StatesAndCounts)
{
    struct Case { const char* json; int32_t volume; int32_t array; const char* total; };
    const Case cases[] = {
        {R"({})", 0, 0, "0"},
        {R"({"volumes":[{"serial":"V","state":"Normal"}],"arrays":[{"total_mb":10}]})", 1, 1, "10999999"},
        {R"({"volumes":[{"serial":"V","state":"Degraded"}],"arrays":[{"total_mb":10}]})", -1, -1, "10999999"},
        {R"({"volumes":[{"serial":"V"},{"serial":"W"}],"arrays":[{"total_mb":7},{"total_mb":8}]})", -1, -1, "7999999"},
    };
    for (const Case& c : cases) {
        auto inv = std::make_unique<Inventory>();
        ParseRaidReport(Whole(Read(c.json)), *inv);
        EXPECT_EQ(c.volume, inv->raidVolumeState) << c.json;
        EXPECT_EQ(c.array, inv->raidArrayState) << c.json;
        EXPECT_STREQ(c.total, inv->arrayTotalMbText) << c.json;
    }
}

TEST(RaidCfg32Report, MisbehaviourAndVerbatimReport)
{
    EXPECT_EQ(Behaviour::Slow, Read(R"({"behaviour":"slow","delay_ms":2500})").behaviour);
    EXPECT_EQ(2500, Read(R"({"behaviour":"slow","delay_ms":2500})").delayMs);
    EXPECT_EQ(Behaviour::Silent, Read(R"({"behaviour":"silent"})").behaviour);
    EXPECT_EQ(Behaviour::Hang, Read(R"({"behaviour":"hang"})").behaviour);
    EXPECT_EQ(Behaviour::Crash, Read(R"({"behaviour":"crash"})").behaviour);
    const RaidState fail = Read(R"({"behaviour":"fail","exit_code":7})");
    EXPECT_EQ(Behaviour::Fail, fail.behaviour);
    EXPECT_EQ(7, fail.exitCode);
    EXPECT_EQ("SerialNo:X\r\n\tTotal Arrays = 0", Whole(Read(R"({"report_text":"SerialNo:X\r\n\tTotal Arrays = 0"})")));
}

TEST(RaidCfg32Report, RejectsBrokenStateFiles)
{
    for (const char* json : {"", "[]", "{", R"({"disks":[{"serial":"A"})", R"({"behaviour":"explode"})", R"({"a":1} x)"}) {
        RaidState state;
        std::string error;
        EXPECT_FALSE(ReadRaidState(json, state, error)) << json;
        EXPECT_FALSE(error.empty()) << json;
    }
}

}  // namespace
