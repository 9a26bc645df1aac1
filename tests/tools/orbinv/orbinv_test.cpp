// orbinv.exe as a user runs it, on simulated machines: its table and its JSON document must say
// what KVFunc answers for the same machine in this process, and its exit codes must tell why it
// could not run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "inventory/orb2.h"
#include "orb_version.h"
#include "testing/simulated_machine/simulated_machine.h"
#include "testing/support/file_text_win32.h"
#include "testing/support/this_program_win32.h"
#include "tools/orbinv/inventory_view.h"

namespace {

using KVFuncType = char*(__cdecl*)(unsigned int, int, const char*);
using nlohmann::json;

std::string TempFolder()
{
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    return folder;
}

struct ProgramRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out, err;
};

// Runs `program` with `arguments`, standard output and error into files; waits at most 120 s.
ProgramRun RunProgram(const std::string& program, const std::string& arguments)
{
    ProgramRun run;
    const std::string outPath = TempFolder() + "orbinv_test_out.txt";
    const std::string errPath = TempFolder() + "orbinv_test_err.txt";
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, out);
    EXPECT_NE(INVALID_HANDLE_VALUE, err);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\" " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 120000)) << commandLine;
        GetExitCodeProcess(process.hProcess, &run.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << commandLine << " (error " << GetLastError() << ")";
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = ReadWholeFile(outPath);
    run.err = ReadWholeFile(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return run;
}

ProgramRun RunOrbinv(const std::string& arguments)
{
    return RunProgram(ThisProgramFolder() + "orbinv.exe", arguments);
}

// What KVFunc answers for the machine in this process, gathered as orbinv gathers it.
class Answers {
public:
    explicit Answers(const std::string& machineFile)
    {
        std::string error;
        EXPECT_TRUE(simulated_machine::LoadMachineFile(machineFile, machine_, error)) << error;
        library_ = LoadLibraryA("orb2.dll");
        EXPECT_NE(nullptr, library_);
        kvFunc_ = reinterpret_cast<KVFuncType>(GetProcAddress(library_, "KVFunc"));
        EXPECT_TRUE(simulation_.Attach(library_, machine_, &error)) << error;
        std::free(kvFunc_(0, 0, nullptr));
    }
    ~Answers()
    {
        simulation_.Detach();
        FreeLibrary(library_);
    }
    std::string Ask(unsigned int type, int index = 0, const char* text = nullptr) const
    {
        char* answer = kvFunc_(type, index, text);
        std::string value = answer ? answer : "";
        std::free(answer);
        return value;
    }
    uint32_t LetterMask() const { return machine_.LogicalDriveMask(); }

private:
    simulated_machine::Machine machine_;
    simulated_machine::Simulation simulation_;
    HMODULE library_ = nullptr;
    KVFuncType kvFunc_ = nullptr;
};

std::string Text(const json& value)
{
    return value.is_string() ? value.get<std::string>() : value.dump();
}

orbinv::Snapshot SnapshotOf(const Answers& a)
{
    orbinv::Snapshot s;
    s.diskCount = a.Ask(ORB2_DISK_COUNT);
    for (int i = 0; i < orbinv::RowsFor(s.diskCount, 50); ++i) {
        s.disks.push_back({a.Ask(ORB2_DISK_DRIVE_NUMBER, i), a.Ask(ORB2_DISK_MODEL, i),
                           a.Ask(ORB2_DISK_SERIAL_NUMBER, i), a.Ask(ORB2_DISK_FIRMWARE_REVISION, i),
                           a.Ask(ORB2_DISK_MEDIA_TYPE, i), a.Ask(ORB2_DISK_SIZE, i), a.Ask(ORB2_DISK_STATUS, i),
                           a.Ask(ORB2_DISK_REPORT_ORDER, i), a.Ask(ORB2_DISK_EMPTY_FLAG, i)});
    }
    for (int n = 2; n < 26; ++n) {
        if (a.LetterMask() & (1u << n)) {
            const char text[2] = {static_cast<char>('A' + n), '\0'};
            s.letters.push_back({text[0], a.Ask(ORB2_LETTER_DISK_NUMBER, 0, text)});
        }
    }
    s.raidDiskCount = a.Ask(ORB2_RAID_DISK_COUNT);
    for (int i = 0; i < orbinv::RowsFor(s.raidDiskCount, 6); ++i)
        s.raidDisks.push_back({a.Ask(ORB2_RAID_DISK_ENTRY_INDEX, i), a.Ask(ORB2_RAID_DISK_SERIAL_NUMBER, i),
                               a.Ask(ORB2_RAID_DISK_SIZE_TEXT, i), a.Ask(ORB2_RAID_DISK_ARRAY_MEMBER, i),
                               a.Ask(ORB2_RAID_DISK_BUS_ID, i), a.Ask(ORB2_RAID_DISK_EMPTY_FLAG, i)});
    s.volumeState = a.Ask(ORB2_RAID_VOLUME_STATE);
    s.arrayTotalMbText = a.Ask(ORB2_ARRAY_TOTAL_MB);
    s.migrationText = a.Ask(ORB2_MIGRATION);
    return s;
}

const std::string kMachines[] = {
    ORB_DEFAULT_MACHINE,
    ORB_ORBINV_MACHINES "/raid_mirror.json",
    ORB_TEST_MACHINES "/slots_0_and_2.json",
    ORB_TEST_MACHINES "/intel_volume.json",
    ORB_TEST_MACHINES "/sector_zero.json",
};

TEST(Orbinv, JsonAgreesWithKVFuncOnEveryMachine)
{
    for (const std::string& machine : kMachines) {
        SCOPED_TRACE(machine);
        const ProgramRun run = RunOrbinv("--json --machine \"" + machine + "\"");
        ASSERT_EQ(0u, run.exitCode) << run.err;
        ASSERT_TRUE(json::accept(run.out)) << run.out;
        const json doc = json::parse(run.out);
        const Answers a(machine);

        EXPECT_EQ(a.Ask(ORB2_DISK_COUNT), Text(doc.at("disk_count")));
        const json& disks = doc.at("physical_disks");
        ASSERT_EQ(static_cast<size_t>(std::atoi(a.Ask(ORB2_DISK_COUNT).c_str())), disks.size());
        for (int i = 0; i < static_cast<int>(disks.size()); ++i) {
            const json& d = disks[static_cast<size_t>(i)];
            EXPECT_EQ(a.Ask(ORB2_DISK_DRIVE_NUMBER, i), Text(d.at("drive_number")));
            EXPECT_EQ(a.Ask(ORB2_DISK_MODEL, i), Text(d.at("model")));
            EXPECT_EQ(a.Ask(ORB2_DISK_SERIAL_NUMBER, i), Text(d.at("serial_number")));
            EXPECT_EQ(a.Ask(ORB2_DISK_FIRMWARE_REVISION, i), Text(d.at("firmware_revision")));
            EXPECT_EQ(a.Ask(ORB2_DISK_MEDIA_TYPE, i), Text(d.at("media_type")));
            EXPECT_EQ(a.Ask(ORB2_DISK_SIZE, i), Text(d.at("size_bytes")));
            EXPECT_EQ(a.Ask(ORB2_DISK_STATUS, i), Text(d.at("status")));
            EXPECT_EQ(a.Ask(ORB2_DISK_REPORT_ORDER, i), Text(d.at("report_order")));
            EXPECT_EQ(a.Ask(ORB2_DISK_EMPTY_FLAG, i), Text(d.at("empty_flag")));
        }
        std::string letters;
        for (const json& l : doc.at("drive_letters")) {
            const std::string letter = l.at("letter").get<std::string>();
            letters += letter;
            EXPECT_EQ(a.Ask(ORB2_LETTER_DISK_NUMBER, 0, letter.c_str()), Text(l.at("disk_number"))) << letter;
        }
        std::string inUse;
        for (int n = 2; n < 26; ++n) {
            if (a.LetterMask() & (1u << n))
                inUse += static_cast<char>('A' + n);
        }
        EXPECT_EQ(inUse, letters);

        EXPECT_EQ(a.Ask(ORB2_RAID_DISK_COUNT), Text(doc.at("raid_disk_count")));
        const json& raid = doc.at("raid_disks");
        ASSERT_EQ(static_cast<size_t>(std::atoi(a.Ask(ORB2_RAID_DISK_COUNT).c_str())), raid.size());
        for (int i = 0; i < static_cast<int>(raid.size()); ++i) {
            const json& r = raid[static_cast<size_t>(i)];
            EXPECT_EQ(a.Ask(ORB2_RAID_DISK_ENTRY_INDEX, i), Text(r.at("entry_index")));
            EXPECT_EQ(a.Ask(ORB2_RAID_DISK_SERIAL_NUMBER, i), Text(r.at("serial_number")));
            EXPECT_EQ(a.Ask(ORB2_RAID_DISK_SIZE_TEXT, i), Text(r.at("size")));
            EXPECT_EQ(a.Ask(ORB2_RAID_DISK_ARRAY_MEMBER, i), Text(r.at("array_member")));
            EXPECT_EQ(a.Ask(ORB2_RAID_DISK_BUS_ID, i), Text(r.at("bus_id")));
            EXPECT_EQ(a.Ask(ORB2_RAID_DISK_EMPTY_FLAG, i), Text(r.at("empty_flag")));
        }
        const json& summary = doc.at("raid_summary");
        EXPECT_EQ(a.Ask(ORB2_RAID_VOLUME_STATE), Text(summary.at("volume_state")));
        EXPECT_EQ(a.Ask(ORB2_ARRAY_TOTAL_MB), Text(summary.at("array_total_mb")));
        EXPECT_EQ(a.Ask(ORB2_MIGRATION), Text(summary.at("migration")));
    }
}

TEST(Orbinv, RaidMachineShowsItsArrayInJson)
{
    const ProgramRun run = RunOrbinv(std::string("--json --machine ") + ORB_ORBINV_MACHINES "/raid_mirror.json");
    ASSERT_EQ(0u, run.exitCode) << run.err;
    const json doc = json::parse(run.out);
    ASSERT_EQ(2u, doc.at("raid_disks").size());
    EXPECT_EQ("yes", doc["raid_disks"][0]["array_member"]);
    EXPECT_EQ("953869999999", doc["raid_disks"][1]["size"]);
    EXPECT_EQ("3", doc["raid_disks"][0]["bus_id"]);
    EXPECT_EQ(" 45", doc["raid_summary"]["migration"]);
    EXPECT_EQ(-1, doc["raid_summary"]["volume_state"]);
    EXPECT_EQ(500107862016LL, doc["physical_disks"][0]["size_bytes"].get<long long>());
    EXPECT_EQ("500.1", doc["physical_disks"][0]["size_gb"]);
    EXPECT_EQ(1, doc["physical_disks"][0]["report_order"]);
    EXPECT_EQ(1, doc["physical_disks"][1]["empty_flag"]);
}

TEST(Orbinv, TableAgreesWithKVFunc)
{
    for (const std::string& machine : kMachines) {
        SCOPED_TRACE(machine);
        const ProgramRun run = RunOrbinv("--machine \"" + machine + "\"");
        ASSERT_EQ(0u, run.exitCode) << run.err;
        const Answers a(machine);
        std::string table;  // the console's text mode ends lines in CR LF
        for (size_t i = 0; i < run.out.size(); ++i) {
            if (!(run.out[i] == '\r' && i + 1 < run.out.size() && run.out[i + 1] == '\n'))
                table += run.out[i];
        }
        EXPECT_EQ(orbinv::TableText(SnapshotOf(a)), table);
        for (int i = 0; i < std::atoi(a.Ask(ORB2_DISK_COUNT).c_str()); ++i) {
            EXPECT_NE(std::string::npos, run.out.find(a.Ask(ORB2_DISK_MODEL, i))) << "model of disk " << i;
            EXPECT_NE(std::string::npos, run.out.find(a.Ask(ORB2_DISK_SERIAL_NUMBER, i))) << "serial number of disk " << i;
        }
    }
}

// A recorded machine replayed gives the inventory the recorded scan gave: on simulated machines
// (answers recorded as orb2 received them from the simulation) and on this Wine machine itself.
TEST(Orbinv, RecordThenReplayGivesTheSameInventory)
{
    const std::string recording = TempFolder() + "orbinv_recorded_machine.json";
    std::vector<std::string> machines(std::begin(kMachines), std::end(kMachines));
    machines.push_back(ORB_TEST_MACHINES "/descriptor_oddities.json");
    machines.push_back("");  // this machine, live
    for (const std::string& machine : machines) {
        SCOPED_TRACE(machine.empty() ? "this machine" : machine);
        DeleteFileA(recording.c_str());
        const std::string source = machine.empty() ? "" : "--machine \"" + machine + "\" ";
        const ProgramRun recorded = RunOrbinv("--json " + source + "--record \"" + recording + "\"");
        ASSERT_EQ(0u, recorded.exitCode) << recorded.err;
        const ProgramRun replayed = RunOrbinv("--json --machine \"" + recording + "\"");
        ASSERT_EQ(0u, replayed.exitCode) << replayed.err;
        EXPECT_TRUE(json::accept(replayed.out));
        EXPECT_EQ(recorded.out, replayed.out);

        // The recording is itself a machine description that records to the same text again.
        const std::string first = ReadWholeFile(recording);
        const std::string again = TempFolder() + "orbinv_recorded_again.json";
        ASSERT_EQ(0u, RunOrbinv("--machine \"" + recording + "\" --record \"" + again + "\"").exitCode);
        EXPECT_EQ(first, ReadWholeFile(again));
        DeleteFileA(again.c_str());
    }
    DeleteFileA(recording.c_str());
}

TEST(OrbinvView, HostileTextsNeitherDriveTheTerminalNorBreakTheJson)
{
    orbinv::Snapshot s;
    s.diskCount = "1";
    s.disks.push_back({"0", "\x1b[2JMODEL", "SER\rIAL\xe9", "FW", "Fixed", std::string(600, '9'), "ok", "0", "1"});
    s.raidDiskCount = "1";
    s.raidDisks.push_back({"0", "R\x07S", "", "", "\x7f", "0"});
    s.volumeState = "-1";
    const std::string table = orbinv::TableText(s);
    EXPECT_EQ(std::string::npos, table.find('\x1b'));
    EXPECT_EQ(std::string::npos, table.find('\r'));
    EXPECT_EQ(std::string::npos, table.find('\x07'));
    EXPECT_EQ(std::string::npos, table.find('\x7f'));
    EXPECT_NE(std::string::npos, table.find(".[2JMODEL"));
    const json doc = json::parse(orbinv::JsonText(s));
    EXPECT_EQ("\x1b[2JMODEL", doc["physical_disks"][0]["model"]);
    EXPECT_EQ("SER\rIAL\u00e9", doc["physical_disks"][0]["serial_number"]);  // 8-bit bytes as Latin-1
    EXPECT_EQ(std::string(600, '9'), doc["physical_disks"][0]["size_bytes"]);  // too big for a number: the text
}

// The version resource of the orb2.dll beside orbinv, with the stand-in's warning in this build.
TEST(Orbinv, VersionOfTheLoadedLibrary)
{
    const ProgramRun run = RunOrbinv("--version");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ(0u, run.out.find(std::string("orb2.dll ") + ORB_VERSION_TEXT + " (")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("raidcfg32.exe stand-in")) << run.out;
}

// The trace's lines without their digits (timings, window handles), one per line.
std::vector<std::string> TraceWithoutDigits(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        const size_t at = line.find(prefix);
        if (at == std::string::npos)
            continue;
        std::string kept;
        for (char c : line.substr(at))
            if ((c < '0' || c > '9') && c != '\r')
                kept += c;
        lines.push_back(kept);
    }
    return lines;
}

// --trace prints orb2's trace of the scan to standard error and changes nothing else; a debugger
// of orbinv (trace_viewer) receives the same lines while the program's output passes through.
TEST(Orbinv, TraceOfTheScanGoesToStandardErrorOrToADebugger)
{
    const std::string machine = std::string("--machine ") + ORB_DEFAULT_MACHINE;
    const ProgramRun plain = RunOrbinv(machine);
    const ProgramRun traced = RunOrbinv("--trace " + machine);
    EXPECT_EQ(0u, traced.exitCode) << traced.err;
    EXPECT_EQ(plain.out, traced.out);
    EXPECT_EQ("", plain.err);
    const std::vector<std::string> lines = TraceWithoutDigits(traced.err, "orb2: ");
    ASSERT_GT(lines.size(), 10u) << traced.err;
    EXPECT_EQ("orb: scan: start", lines.front());  // "orb2" without its digit
    EXPECT_EQ("orb: scan: end at  ms", lines.back());
    EXPECT_EQ(lines.size(), TraceWithoutDigits(traced.err, "").size()) << "a line that is not orb2's:\n" << traced.err;

    const ProgramRun viewed = RunProgram(ThisProgramFolder() + "trace_viewer.exe", "\"" + ThisProgramFolder() + "orbinv.exe\" " + machine);
    EXPECT_EQ(0u, viewed.exitCode) << viewed.err;
    EXPECT_NE(std::string::npos, viewed.out.find(plain.out)) << viewed.out;
    EXPECT_EQ(lines, TraceWithoutDigits(viewed.out, "orb2: ")) << viewed.out;
}

TEST(Orbinv, ExitCodesTellWhyItCouldNotRun)
{
    const ProgramRun help = RunOrbinv("--help");  // asked for: usage on standard output, exit 0
    EXPECT_EQ(0u, help.exitCode);
    EXPECT_EQ(0u, help.out.find("usage: orbinv")) << help.out;
    EXPECT_EQ("", help.err);
    EXPECT_EQ(1u, RunOrbinv("--frobnicate").exitCode);
    EXPECT_EQ(1u, RunOrbinv("--version --json").exitCode);
    EXPECT_EQ(1u, RunOrbinv("--machine").exitCode);
    const ProgramRun missing = RunOrbinv("--machine Z:\\no\\such\\machine.json");
    EXPECT_EQ(2u, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.err.find("machine.json")) << missing.err;
    EXPECT_EQ("", missing.out);
    EXPECT_EQ(1u, RunOrbinv("--record").exitCode);
    const ProgramRun unwritable =
        RunOrbinv(std::string("--machine ") + ORB_DEFAULT_MACHINE + " --record Z:\\no\\such\\folder\\m.json");
    EXPECT_EQ(6u, unwritable.exitCode);
    EXPECT_NE(std::string::npos, unwritable.err.find("m.json")) << unwritable.err;

    // A copy of orbinv in a folder without orb2.dll, then with a library that lacks KVFunc.
    const std::string folder = TempFolder() + "orbinv_alone\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "orbinv.exe";
    ASSERT_TRUE(CopyFileA((ThisProgramFolder() + "orbinv.exe").c_str(), copy.c_str(), FALSE));
    DeleteFileA((folder + "orb2.dll").c_str());
    const ProgramRun noLibrary = RunProgram(copy, "");
    EXPECT_EQ(3u, noLibrary.exitCode);
    EXPECT_NE(std::string::npos, noLibrary.err.find("cannot load")) << noLibrary.err;
    ASSERT_TRUE(CopyFileA((ThisProgramFolder() + "OrbLib.dll").c_str(), (folder + "orb2.dll").c_str(), FALSE));
    const ProgramRun noExport = RunProgram(copy, "");
    EXPECT_EQ(4u, noExport.exitCode);
    EXPECT_NE(std::string::npos, noExport.err.find("KVFunc")) << noExport.err;
    DeleteFileA(copy.c_str());
    DeleteFileA((folder + "orb2.dll").c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
