#pragma once
// Runs a loaded module (orb2.dll) against a simulated machine: its imported device calls
// (CreateFileA, DeviceIoControl, ReadFile, SetFilePointer, CloseHandle, GetLogicalDrives,
// WinExec, DeleteFileA, GetWindowsDirectoryA) are redirected by patching that module's import
// address table. Paths other than "\\.\PhysicalDriveN" and "\\.\X:", and handles the
// simulation did not open, pass through to Windows. Every simulated call is recorded so that
// tests can assert the exact calls made.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "testing/simulated_machine/faults.h"  // InjectedFault
#include "testing/simulated_machine/machine.h"

namespace simulated_machine {

struct OpenRecord {
    std::string path;
    DWORD access = 0;
    DWORD share = 0;
    DWORD disposition = 0;
    DWORD flags = 0;
    bool securityAttributes = false;
    bool templateFile = false;
    bool opened = false;
};

struct ControlRecord {
    std::string path;             // the path the handle was opened with
    DWORD code = 0;
    DWORD inSize = 0;
    DWORD outSize = 0;
    std::vector<uint8_t> input;   // the input bytes as sent
    bool succeeded = false;
};

struct ReadRecord {
    std::string path;
    int64_t position = 0;         // file pointer when the read started
    DWORD size = 0;
    bool succeeded = false;
};

struct CallLog {
    std::vector<OpenRecord> opens;       // simulated paths only
    std::vector<ControlRecord> controls; // on simulated handles
    std::vector<ReadRecord> reads;
    std::vector<std::string> winExecs;   // command lines, passed through to Windows
    int seeks = 0;
    int logicalDriveQueries = 0;
    int handlesOpen = 0;                 // simulated handles not yet closed
    int faultsApplied = 0;               // injected faults that changed a call
};

class Simulation {
public:
    Simulation() = default;
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // Patches `module`'s imports and makes `machine` the machine it sees. When the machine has a
    // "raid_state", it is written to a temporary file whose path goes into the environment
    // variable ORB_RAIDCFG32_STATE. One simulation at a time per process.
    bool Attach(HMODULE module, const Machine& machine, std::string* error = nullptr);
    // Recording: patches `module`'s imports so that its device calls reach this machine's own
    // devices, unchanged, while their answers (IDENTIFY words, descriptor, geometry, sector 0,
    // letters and their device numbers, the RAID tool's report read before orb2 deletes it) are
    // collected into Recorded(). The call log is kept as in a simulation.
    bool AttachLive(HMODULE module, std::string* error = nullptr);
    // In a simulation too, collect the answers the simulated devices give (to test recording).
    void RecordAnswers();
    // The machine the answers recorded so far describe.
    Machine Recorded() const;

    // Answers the RAID tool's run inside this process: the WinExec of the batch file writes
    // Graid.txt into the current directory (the Windows folder during a scan) at once, as the
    // stand-in raidcfg32.exe would write it for the machine's "raid_state", and starts no
    // process. A scan then finds its report at the first attempt and makes no pause, so that
    // thousands of scans fit in a test. "silent" and "fail" leave an empty report (what cmd's
    // redirection creates), "crash" the physical-disk section, "hang" none. A batch file that is
    // not there starts nothing (WinExec's ERROR_FILE_NOT_FOUND). Off by default: the real chain runs.
    void RunToolInProcess(bool on);

    // Makes the n-th open, control request or read from now on go wrong (see Fault). Several
    // faults may wait at once; each applies once. A Short or Oversized fault changes only a call
    // that succeeds with at least one byte; on an open only Fail applies.
    void InjectFault(const InjectedFault& fault);
    void ClearFaults();
    // Answers `folder` to the module's GetWindowsDirectoryA (empty: Windows' own answer). A folder
    // that does not exist stands for a Windows folder the module can't write to: permission bits
    // do not hold for root under Wine, a missing folder refuses every file in the same way.
    void SetWindowsFolder(const std::string& folder);

    // Swaps the machine between scans (the imports stay patched).
    void SetMachine(const Machine& machine);
    // Restores the imports, closes what the module left open and removes the state file.
    void Detach();

    // The calls recorded since the attach or the last ClearLog; empty while detached.
    CallLog& Log();
    void ClearLog();

private:
    bool attached_ = false;
};

}  // namespace simulated_machine
