// Faults injected into the inventory scan's device calls, through KVFunc only: every device call
// that succeeds is made to fail, to answer short and to claim more bytes than its buffer holds,
// one per scan. The RAID tool's own faults are in scan_tool_fault_test.cpp, in the same program.
//
// The oracle of a failing call is the same machine with the one matching capability turned off
// (a failed read-write open of PhysicalDrive0 is slot 0 without opensReadWrite). The oracle of a
// short answer is the machine whose driver answers those bytes (descriptor: returnedBytes; IDENTIFY:
// the words beyond them zero; geometry, device number and sector 0: what the scan makes of a
// partial answer). Faulted scan and oracle scan both follow the same baseline scan, so that the
// values the tables carry from scan to scan (report_order, empty_flag of unmatched rows) start
// equal. After each scan: no simulated handle open, the process's handle count as before, and no
// file of the tool's run left in the Windows folder.
//
// The tool is answered in this process: about 400 scans in 10 s.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testing/simulated_machine/device_answers.h"  // DescriptorAnswer
#include "testing/simulated_machine/simulated_machine.h"
#include "testing/fixtures/orb2_fixture.h"
#include "testing/fixtures/machine_helpers.h"
#include "tests/inventory/scan/process_usage.h"
#include "tests/inventory/scan/scan_fault_fixture.h"

namespace {

using simulated_machine::Call;
using simulated_machine::CallLog;
using simulated_machine::DescriptorAnswer;
using simulated_machine::DriveLetter;
using simulated_machine::Fault;
using simulated_machine::InjectedFault;
using simulated_machine::Machine;
using simulated_machine::PhysicalDrive;
using simulated_machine::kDiskGetDriveGeometryEx;  // the control codes, pinned to the SDK's there
using simulated_machine::kSmartGetVersion;
using simulated_machine::kSmartRcvDriveData;
using simulated_machine::kStorageGetDeviceNumber;
using simulated_machine::kStorageQueryProperty;

constexpr size_t kIdentifyDataOffset = 16;  // SENDCMDOUTPARAMS.bBuffer

// Three drives of the scan's end-to-end test and the virtual disk of an Intel RAID volume:
//   slot 0  fixed, partitioned; identity serial a substring of the ATA serial
//   slot 1  fixed, blank; a vendor offset far inside the 10,000-byte buffer, a revision offset
//           below zero
//   slot 2  removable stick, blank; identity row equal in serial and model
//   slot 3  the volume's virtual disk: fixed, size 0 in IDENTIFY, vendor "Intel": takes over the
//           Intel row (and so does the removable stick, as every removable disk does)
const char* const kRichMachine = R"({
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
     "descriptor": {"vendor": {"offset": 9999}, "product": "ST3500418AS", "revision": {"offset": -5},
                    "serial": "V5KMZTQ9"},
     "size": 500107862016, "sector0": "blank"},
    {"slot": 2,
     "identify": {"model": "flash drive lc", "serial": "usbstick10", "firmware": "1.00",
                  "general_configuration": 128, "sectors": 7813120},
     "descriptor": {"vendor": "Generic", "product": "FLASH DRIVE LC", "revision": "1.00", "serial": "SUSBITKC01"},
     "size": 4000317440, "sector0": "blank"},
    {"slot": 3,
     "identify": {"model": "Volume0", "serial": "", "firmware": "", "general_configuration": 64, "sectors": 0},
     "descriptor": {"vendor": "Intel", "product": "Raid 1 Volume", "revision": "1.0.00", "serial": "olV0mu0e"},
     "size": 500105249280, "sector0": "partitioned"}
  ],
  "drive_letters": [
    {"letter": "C", "device_type": 7, "device_number": 0},
    {"letter": "E", "device_type": 7, "device_number": 2},
    {"letter": "F", "device_type": 7, "device_number": 3}
  ],
  "raid_state": {
    "disks": [
      {"serial": "5VMKTZ9Q", "bus_id": 3, "summary": "ArrayMember"},
      {"serial": "WD-WCAV12345678", "bus_id": "1A", "summary": "ArrayMember"}
    ],
    "volumes": [ {"name": "ORB", "serial": "ORBVOL0", "state": "Normal"} ],
    "arrays": [ {"total_mb": 476940} ]
  }
})";

Machine ParsedMachine(const std::string& json)
{
    Machine machine;
    std::string error;
    EXPECT_TRUE(simulated_machine::ParseMachine(json, machine, error)) << error;
    return machine;
}

// The drive or letter a simulated path names.
int SlotOf(const std::string& path)
{
    const size_t at = path.find("PhysicalDrive");
    return at == std::string::npos ? -1 : std::atoi(path.c_str() + at + 13);
}

PhysicalDrive& DriveOf(Machine& machine, const std::string& path)
{
    for (PhysicalDrive& drive : machine.drives) {
        if (drive.slot == SlotOf(path))
            return drive;
    }
    ADD_FAILURE() << "no drive for " << path;
    return machine.drives.front();
}

DriveLetter& LetterOf(Machine& machine, const std::string& path)
{
    for (DriveLetter& letter : machine.letters) {
        if (path.size() == 6 && letter.letter == path[4])
            return letter;
    }
    ADD_FAILURE() << "no letter for " << path;
    return machine.letters.front();
}

// IDENTIFY as a driver answers it with `returned` bytes of SENDCMDOUTPARAMS: the data bytes
// beyond them stay zero (the block is zeroed before the request).
void CutIdentify(PhysicalDrive& drive, size_t returned)
{
    for (size_t w = 0; w < 256; ++w) {
        const bool low = kIdentifyDataOffset + 2 * w < returned;
        const bool high = kIdentifyDataOffset + 2 * w + 1 < returned;
        drive.identify[w] = static_cast<uint16_t>((low ? drive.identify[w] & 0x00FF : 0) |
                                                  (high ? drive.identify[w] & 0xFF00 : 0));
    }
}

const char* CodeName(DWORD code)
{
    switch (code) {
    case kSmartGetVersion: return "SMART_GET_VERSION";
    case kSmartRcvDriveData: return "SMART_RCV_DRIVE_DATA";
    case kStorageQueryProperty: return "IOCTL_STORAGE_QUERY_PROPERTY";
    case kDiskGetDriveGeometryEx: return "IOCTL_DISK_GET_DRIVE_GEOMETRY_EX";
    case kStorageGetDeviceNumber: return "IOCTL_STORAGE_GET_DEVICE_NUMBER";
    default: return "control";
    }
}

// What tells machines apart: their description, plus both open flags of every drive (the
// description has no word for a drive that opens for reading and writing but not for reading).
std::string MachineKey(const Machine& machine)
{
    std::string key = simulated_machine::WriteMachine(machine);
    for (const PhysicalDrive& drive : machine.drives)
        key += std::to_string(drive.slot) + (drive.opensReadWrite ? "rw" : "") + (drive.opensReadOnly ? "r" : "") + ";";
    return key;
}

// One faulted scan and the scan it must equal.
struct FaultCase {
    std::string name;
    InjectedFault fault;
    Machine oracle;
};

class ScanFaultTest : public ScanFaultFixture {
protected:
    // Baseline, faulted scan; baseline, oracle scan: both answers must be equal. Oracle answers
    // are kept per oracle machine. The tool's run is answered in this process: no handle of the
    // process changes but the simulated ones, which must all be closed after each scan.
    void Check(const Machine& machine, const FaultCase& c)
    {
        SCOPED_TRACE(c.name);
        Scan(machine);
        simulation_.ClearLog();
        simulation_.InjectFault(c.fault);
        const AnswerList faulted = Scan(machine);
        EXPECT_EQ(1, simulation_.Log().faultsApplied) << "the fault did not change its call";
        EXPECT_EQ(0, simulation_.Log().handlesOpen) << "a drive or volume handle left open";
        EXPECT_TRUE(ToolFilesGone());
        simulation_.ClearFaults();

        const std::string key = MachineKey(machine) + MachineKey(c.oracle);
        auto known = oracleAnswers_.find(key);
        if (known == oracleAnswers_.end()) {
            Scan(machine);
            known = oracleAnswers_.emplace(key, Scan(c.oracle)).first;
        }
        const AnswerList& expected = known->second;
        EXPECT_TRUE(expected == faulted) << Difference(expected, faulted);
    }

    // The scan's calls on `machine`, from a scan that follows a scan of the same machine.
    CallLog BaselineCalls(const Machine& machine)
    {
        Scan(machine);
        simulation_.ClearLog();
        Scan(machine);
        return simulation_.Log();
    }

    // Every successful open, control request and read of a scan, failed in turn.
    std::vector<FaultCase> FailureCases(const Machine& machine)
    {
        const CallLog log = BaselineCalls(machine);
        std::vector<FaultCase> cases;
        for (size_t i = 0; i < log.opens.size(); ++i) {
            const auto& open = log.opens[i];
            if (!open.opened)
                continue;
            FaultCase c{"open " + open.path + (open.access & GENERIC_WRITE ? " read-write" : " read-only") + " fails",
                        {Call::Open, static_cast<int>(i + 1), Fault::Fail}, machine};
            if (SlotOf(open.path) < 0)
                LetterOf(c.oracle, open.path).opens = false;
            else if (open.access & GENERIC_WRITE)
                DriveOf(c.oracle, open.path).opensReadWrite = false;
            else
                DriveOf(c.oracle, open.path).opensReadOnly = false;
            cases.push_back(c);
        }
        for (size_t i = 0; i < log.controls.size(); ++i) {
            const auto& control = log.controls[i];
            if (!control.succeeded)
                continue;
            FaultCase c{std::string(CodeName(control.code)) + " on " + control.path + " fails",
                        {Call::Control, static_cast<int>(i + 1), Fault::Fail}, machine};
            switch (control.code) {
            case kSmartGetVersion: DriveOf(c.oracle, control.path).smartVersion = false; break;
            case kSmartRcvDriveData: DriveOf(c.oracle, control.path).identifyAnswers = false; break;
            case kStorageQueryProperty: DriveOf(c.oracle, control.path).hasDescriptor = false; break;
            case kDiskGetDriveGeometryEx: DriveOf(c.oracle, control.path).geometry = PhysicalDrive::Geometry::Fails; break;
            case kStorageGetDeviceNumber: LetterOf(c.oracle, control.path).answers = false; break;
            default: ADD_FAILURE() << "unexpected control code " << control.code;
            }
            cases.push_back(c);
        }
        for (size_t i = 0; i < log.reads.size(); ++i) {
            const auto& read = log.reads[i];
            if (!read.succeeded)
                continue;
            FaultCase c{"sector 0 of " + read.path + " unreadable", {Call::Read, static_cast<int>(i + 1), Fault::Fail},
                        machine};
            DriveOf(c.oracle, read.path).sectorReadable = false;
            cases.push_back(c);
        }
        return cases;
    }

    // Every successful control request and read of a scan, answered short at the byte counts
    // that matter to it, and claiming more than its buffer at two sizes.
    std::vector<FaultCase> ShortAndOversizedCases(const Machine& machine)
    {
        const CallLog log = BaselineCalls(machine);
        std::vector<FaultCase> cases;
        auto shortCase = [&](Call call, size_t i, const std::string& what, int64_t bytes) {
            FaultCase c{what + " answers " + std::to_string(bytes) + " bytes",
                        {call, static_cast<int>(i + 1), Fault::Short, bytes}, machine};
            cases.push_back(c);
            return &cases.back().oracle;
        };
        auto oversized = [&](Call call, size_t i, const std::string& what) {
            for (int64_t claim : {int64_t{-1}, int64_t{0xFFFFFFFF}}) {
                cases.push_back({what + " claims " + (claim < 0 ? std::string("its buffer + 1") : "4294967295") +
                                     " bytes",
                                 {call, static_cast<int>(i + 1), Fault::Oversized, claim}, machine});
            }
        };
        for (size_t i = 0; i < log.controls.size(); ++i) {
            const auto& control = log.controls[i];
            if (!control.succeeded)
                continue;
            const std::string what = std::string(CodeName(control.code)) + " on " + control.path;
            oversized(Call::Control, i, what);
            switch (control.code) {
            case kSmartGetVersion:  // its answer is not read: only the success counts
                for (int64_t bytes : {0, 12, 23})
                    shortCase(Call::Control, i, what, bytes);
                break;
            case kSmartRcvDriveData:  // not checked further: the words beyond the answer are zero
                for (int64_t bytes : {0, 16, 36, 57, 70, 110, 139, 216, 527}) {
                    Machine* oracle = shortCase(Call::Control, i, what, bytes);
                    CutIdentify(DriveOf(*oracle, control.path), static_cast<size_t>(bytes));
                }
                break;
            case kStorageQueryProperty: {  // the strings are read inside the returned bytes only
                Machine probe = machine;
                const std::vector<uint8_t> answer = DescriptorAnswer(DriveOf(probe, control.path));
                std::vector<int64_t> cuts = {0, 12, 27, static_cast<int64_t>(answer.size()) - 1};
                for (size_t field = 12; field <= 24 && answer.size() >= 28; field += 4) {
                    int64_t offset = answer[field] | answer[field + 1] << 8 | answer[field + 2] << 16;
                    if (offset > 0 && offset < static_cast<int64_t>(answer.size())) {
                        for (int64_t cut : {offset, offset + 1, offset + 3})
                            cuts.push_back(cut);
                    }
                }
                for (int64_t bytes : cuts) {
                    if (bytes < 0 || bytes >= static_cast<int64_t>(answer.size()))
                        continue;
                    Machine* oracle = shortCase(Call::Control, i, what, bytes);
                    DriveOf(*oracle, control.path).returnedBytes = bytes;
                }
                break;
            }
            case kDiskGetDriveGeometryEx:  // DiskSize (bytes 24-31) not all there: no row
                for (int64_t bytes : {0, 24, 31}) {
                    Machine* oracle = shortCase(Call::Control, i, what, bytes);
                    DriveOf(*oracle, control.path).geometry = PhysicalDrive::Geometry::Short;
                }
                break;
            case kStorageGetDeviceNumber:  // DeviceType and DeviceNumber are bytes 0-7
                for (int64_t bytes : {0, 4, 7}) {
                    Machine* oracle = shortCase(Call::Control, i, what, bytes);
                    LetterOf(*oracle, control.path).answers = false;
                }
                for (int64_t bytes : {8, 11})
                    shortCase(Call::Control, i, what, bytes);
                break;
            default:
                ADD_FAILURE() << "unexpected control code " << control.code;
            }
        }
        for (size_t i = 0; i < log.reads.size(); ++i) {
            const auto& read = log.reads[i];
            if (!read.succeeded)
                continue;
            const std::string what = "sector 0 of " + read.path;
            oversized(Call::Read, i, what);
            // Fewer than 512 bytes: the sector can't be judged, as if unreadable.
            for (int64_t bytes : {0, 1, 446, 510, 511}) {
                Machine* oracle = shortCase(Call::Read, i, what, bytes);
                DriveOf(*oracle, read.path).sectorReadable = false;
            }
        }
        return cases;
    }

    // The process's handle count is taken around the run of cases (counting takes about half a
    // second under Wine), from after the first case: Wine and the C runtime keep a few handles
    // they open on first use. A handle lost per scan would show as many.
    // Also counts the faults whose oracle answers differ from the unfaulted scan's: a run where
    // none does would prove nothing.
    void CheckAll(const Machine& machine, const std::vector<FaultCase>& cases)
    {
        if (cases.empty())
            return;
        Check(machine, cases.front());
        const unsigned long handlesBefore = OpenHandleCount();
        for (size_t i = 1; i < cases.size(); ++i)
            Check(machine, cases[i]);
        EXPECT_EQ(handlesBefore, OpenHandleCount());

        Scan(machine);
        const AnswerList unfaulted = Scan(machine);
        size_t changed = 0;
        for (const FaultCase& c : cases) {
            auto known = oracleAnswers_.find(MachineKey(machine) + MachineKey(c.oracle));
            changed += known != oracleAnswers_.end() && known->second != unfaulted;
        }
        std::printf("%zu faulted scans, each equal to its oracle; %zu of them change the answers\n", cases.size(),
                    changed);
        EXPECT_GT(changed, 0u);
    }

    std::map<std::string, AnswerList> oracleAnswers_;
};

TEST_F(ScanFaultTest, EveryFailingCallEqualsTheMachineWithoutThatCapability)
{
    const Machine defaultMachine = DefaultMachine();
    AttachMachine(defaultMachine);
    simulation_.RunToolInProcess(true);
    const std::vector<FaultCase> defaultCases = FailureCases(defaultMachine);
    EXPECT_EQ(18u, defaultCases.size()) << "2 drives x (2 opens, 4 requests, 1 read), 2 letters x (open, request)";
    CheckAll(defaultMachine, defaultCases);

    const Machine rich = ParsedMachine(kRichMachine);
    const std::vector<FaultCase> richCases = FailureCases(rich);
    EXPECT_EQ(34u, richCases.size());
    CheckAll(rich, richCases);
}

TEST_F(ScanFaultTest, ShortAndOversizedAnswers)
{
    const Machine defaultMachine = DefaultMachine();
    AttachMachine(defaultMachine);
    simulation_.RunToolInProcess(true);
    CheckAll(defaultMachine, ShortAndOversizedCases(defaultMachine));
    const Machine rich = ParsedMachine(kRichMachine);
    CheckAll(rich, ShortAndOversizedCases(rich));
}

}  // namespace
