// orbinv: loads orb2.dll from its own folder exactly as the main application does
// (LoadLibraryA, GetProcAddress "KVFunc"), runs the inventory scan (query 0), reads every query
// for every valid row and prints the inventory.
//
//   orbinv [--json] [--trace] [--machine FILE] [--record FILE]
//   orbinv --version
//   orbinv --help
//
//   --help          print this usage on standard output and stop (exit code 0)
//   --version       print the version of the orb2.dll loaded (its version resource) and stop
//   --json          one JSON document instead of the table
//   --trace         print orb2.dll's trace of the scan (its debug strings, one line per decision)
//                   to standard error; caught in this process, so none when orbinv itself runs
//                   under a debugger (which gets them instead)
//   --machine FILE  scan the machine described in FILE (testing/simulated_machine) instead of this
//                   one: orb2.dll's device calls are redirected through its import table, the RAID
//                   tool runs for real with the description's "raid_state"
//   --record FILE   also write a description of the machine scanned, from the answers orb2.dll
//                   received (IDENTIFY words, descriptors, geometry, sector 0, letters, the RAID
//                   tool's report), that --machine replays anywhere
//
// Exit codes: 0 inventory printed (or --help: the usage on standard output); 1 usage; 2 the machine file cannot be read; 3 orb2.dll cannot
// be loaded; 4 orb2.dll has no export KVFunc or KVFree; 5 the machine cannot be attached; 6 the recording
// cannot be written; 7 (--version) orb2.dll has no version resource.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "inventory/orb2.h"
#include "common/debug_output_win32.h"
#include "testing/simulated_machine/simulated_machine.h"
#include "tools/orbinv/inventory_view.h"

namespace {

using KVFuncType = char*(__cdecl*)(unsigned int, int, const char*);
using FreeType = void(__cdecl*)(char*);

constexpr int kDiskCapacity = 50;
constexpr int kRaidDiskCapacity = 6;

enum ExitCode {
    kOk = 0, kUsage = 1, kMachineFile = 2, kNoLibrary = 3, kNoExport = 4, kNoSimulation = 5, kNoRecording = 6,
    kNoVersion = 7
};

struct Orb2 {
    KVFuncType kvFunc = nullptr;
    FreeType release = nullptr;

    // One answer as text; the buffer is released with KVFree, as orb2.h documents.
    std::string Ask(unsigned int type, int index = 0, const char* text = nullptr) const
    {
        char* answer = kvFunc(type, index, text);
        if (answer == nullptr)
            return "";
        std::string value(answer, strnlen(answer, 512));
        release(answer);
        return value;
    }
};

// "orb2.dll 1.0.0.0" from the loaded module's version resource, and its comment if it has one.
int PrintVersion(HMODULE library)
{
    char path[MAX_PATH] = "orb2.dll";
    const DWORD length = GetModuleFileNameA(library, path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        std::strcpy(path, "orb2.dll");  // no usable path: the message names the library alone
    DWORD ignored = 0;
    const DWORD size = length > 0 && length < sizeof(path) ? GetFileVersionInfoSizeA(path, &ignored) : 0;
    std::string block(size, '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (size == 0 || !GetFileVersionInfoA(path, 0, size, &block[0]) ||
        !VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&fixed), &fixedSize) ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        std::fprintf(stderr, "orbinv: %s has no version resource\n", path);
        return kNoVersion;
    }
    std::printf("orb2.dll %lu.%lu.%lu.%lu (%s)\n", static_cast<unsigned long>(HIWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned long>(LOWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned long>(HIWORD(fixed->dwFileVersionLS)),
                static_cast<unsigned long>(LOWORD(fixed->dwFileVersionLS)), path);
    char* comment = nullptr;
    UINT commentSize = 0;
    if (VerQueryValueA(&block[0], "\\StringFileInfo\\040904B0\\Comments", reinterpret_cast<void**>(&comment),
                       &commentSize) &&
        commentSize > 0)
        std::printf("%.*s\n", static_cast<int>(strnlen(comment, commentSize)), comment);
    return kOk;
}

bool BesideThisProgram(const char* fileName, char* path, size_t size)
{
    DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(size));
    if (length == 0 || length >= size)
        return false;
    char* slash = std::strrchr(path, '\\');
    size_t folder = slash ? static_cast<size_t>(slash - path + 1) : 0;
    if (folder + std::strlen(fileName) + 1 > size)
        return false;
    std::strcpy(path + folder, fileName);
    return true;
}

orbinv::Snapshot ReadInventory(const Orb2& orb2, uint32_t letterMask)
{
    orbinv::Snapshot s;
    s.diskCount = orb2.Ask(ORB2_DISK_COUNT);
    const int disks = orbinv::RowsFor(s.diskCount, kDiskCapacity);
    for (int i = 0; i < disks; ++i) {
        orbinv::PhysicalDisk d;
        d.driveNumber = orb2.Ask(ORB2_DISK_DRIVE_NUMBER, i);
        d.model = orb2.Ask(ORB2_DISK_MODEL, i);
        d.serialNumber = orb2.Ask(ORB2_DISK_SERIAL_NUMBER, i);
        d.firmware = orb2.Ask(ORB2_DISK_FIRMWARE_REVISION, i);
        d.mediaType = orb2.Ask(ORB2_DISK_MEDIA_TYPE, i);
        d.sizeBytes = orb2.Ask(ORB2_DISK_SIZE, i);
        d.status = orb2.Ask(ORB2_DISK_STATUS, i);
        d.reportOrder = orb2.Ask(ORB2_DISK_REPORT_ORDER, i);
        d.emptyFlag = orb2.Ask(ORB2_DISK_EMPTY_FLAG, i);
        s.disks.push_back(d);
    }
    // Query 9 answers for any letter (a letter not in the table gets the first unused row's
    // value), so only the letters in use are asked, as the main application does. A and B are
    // never opened by the scan.
    for (int n = 2; n < 26; ++n) {
        if ((letterMask & (1u << n)) == 0)
            continue;
        orbinv::LetterRow row;
        row.letter = static_cast<char>('A' + n);
        const char text[2] = {row.letter, '\0'};
        row.diskNumber = orb2.Ask(ORB2_LETTER_DISK_NUMBER, 0, text);
        s.letters.push_back(row);
    }
    s.raidDiskCount = orb2.Ask(ORB2_RAID_DISK_COUNT);
    const int raidDisks = orbinv::RowsFor(s.raidDiskCount, kRaidDiskCapacity);
    for (int i = 0; i < raidDisks; ++i) {
        orbinv::RaidDisk r;
        r.entryIndex = orb2.Ask(ORB2_RAID_DISK_ENTRY_INDEX, i);
        r.serialNumber = orb2.Ask(ORB2_RAID_DISK_SERIAL_NUMBER, i);
        r.sizeText = orb2.Ask(ORB2_RAID_DISK_SIZE_TEXT, i);
        r.arrayMember = orb2.Ask(ORB2_RAID_DISK_ARRAY_MEMBER, i);
        r.busId = orb2.Ask(ORB2_RAID_DISK_BUS_ID, i);
        r.emptyFlag = orb2.Ask(ORB2_RAID_DISK_EMPTY_FLAG, i);
        s.raidDisks.push_back(r);
    }
    s.volumeState = orb2.Ask(ORB2_RAID_VOLUME_STATE);
    s.arrayTotalMbText = orb2.Ask(ORB2_ARRAY_TOTAL_MB);
    s.migrationText = orb2.Ask(ORB2_MIGRATION);
    return s;
}

const char kUsageText[] = "usage: orbinv [--json] [--trace] [--machine FILE] [--record FILE]\n"
                          "       orbinv --version\n"
                          "       orbinv --help\n";

// A wrong command line: the usage on standard error, exit code 1.
int Usage()
{
    std::fputs(kUsageText, stderr);
    return kUsage;
}

}  // namespace

int main(int argc, char** argv)
{
    bool json = false;
    bool trace = false;
    const char* machineFile = nullptr;
    const char* recordFile = nullptr;
    bool version = false;
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsageText, stdout);  // asked for: not an error
        return kOk;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 && argc == 2)
            version = true;
        else if (std::strcmp(argv[i], "--json") == 0)
            json = true;
        else if (std::strcmp(argv[i], "--trace") == 0)
            trace = true;
        else if (std::strcmp(argv[i], "--machine") == 0 && i + 1 < argc && machineFile == nullptr)
            machineFile = argv[++i];
        else if (std::strcmp(argv[i], "--record") == 0 && i + 1 < argc && recordFile == nullptr)
            recordFile = argv[++i];
        else
            return Usage();
    }

    simulated_machine::Machine machine;
    if (machineFile != nullptr) {
        std::string error;
        if (!simulated_machine::LoadMachineFile(machineFile, machine, error)) {
            // A Unix path given to the program under Wine: try it on Wine's Z: drive.
            std::string unixPath = std::string("Z:") + machineFile;
            std::string ignored;
            if (machineFile[0] != '/' || !simulated_machine::LoadMachineFile(unixPath, machine, ignored)) {
                std::fprintf(stderr, "orbinv: %s: %s\n", machineFile, error.c_str());
                return kMachineFile;
            }
        }
    }

    char path[MAX_PATH];
    if (!BesideThisProgram("orb2.dll", path, sizeof(path))) {
        std::fprintf(stderr, "orbinv: the program's folder path is too long\n");
        return kNoLibrary;
    }
    HMODULE library = LoadLibraryA(path);
    if (library == nullptr) {
        std::fprintf(stderr, "orbinv: cannot load %s (error %lu)\n", path, GetLastError());
        return kNoLibrary;
    }
    if (version) {
        const int code = PrintVersion(library);
        FreeLibrary(library);
        return code;
    }
    Orb2 orb2;
    orb2.kvFunc = reinterpret_cast<KVFuncType>(GetProcAddress(library, "KVFunc"));
    orb2.release = reinterpret_cast<FreeType>(GetProcAddress(library, "KVFree"));
    if (orb2.kvFunc == nullptr || orb2.release == nullptr) {
        std::fprintf(stderr, "orbinv: %s has no export KVFunc or KVFree\n", path);
        FreeLibrary(library);
        return kNoExport;
    }

    simulated_machine::Simulation simulation;
    uint32_t letterMask = GetLogicalDrives();
    if (machineFile != nullptr) {
        std::string error;
        if (!simulation.Attach(library, machine, &error)) {
            std::fprintf(stderr, "orbinv: cannot run orb2.dll on %s: %s\n", machineFile, error.c_str());
            FreeLibrary(library);
            return kNoSimulation;
        }
        letterMask = machine.LogicalDriveMask();
        if (recordFile != nullptr)
            simulation.RecordAnswers();
    } else if (recordFile != nullptr) {
        std::string error;
        if (!simulation.AttachLive(library, &error)) {
            std::fprintf(stderr, "orbinv: cannot record orb2.dll's answers: %s\n", error.c_str());
            FreeLibrary(library);
            return kNoSimulation;
        }
    }

    // The scan starts G.bat with WinExec; the console's cmd inherits our standard output and
    // echoes the batch line into it. Send its output to NUL so that ours stays one document.
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0,
                             nullptr);
    if (nul != INVALID_HANDLE_VALUE)
        SetStdHandle(STD_OUTPUT_HANDLE, nul);
    debug_output::DebugStringCapture capture;  // with --trace, each line to standard error as it comes
    if (trace && !capture.Start(stderr))
        std::fprintf(stderr, "orbinv: cannot catch orb2.dll's trace\n");
    orb2.Ask(ORB2_RUN_SCAN);  // the inventory scan
    capture.Stop();
    if (nul != INVALID_HANDLE_VALUE) {
        SetStdHandle(STD_OUTPUT_HANDLE, output);
        CloseHandle(nul);
    }
    int result = kOk;
    if (recordFile != nullptr) {
        const std::string description = simulated_machine::WriteMachine(simulation.Recorded());
        std::FILE* file = std::fopen(recordFile, "wb");
        if (file == nullptr || std::fwrite(description.data(), 1, description.size(), file) != description.size()) {
            std::fprintf(stderr, "orbinv: cannot write %s\n", recordFile);
            result = kNoRecording;
        }
        if (file != nullptr && std::fclose(file) != 0 && result == kOk) {
            std::fprintf(stderr, "orbinv: cannot write %s\n", recordFile);
            result = kNoRecording;
        }
    }
    const orbinv::Snapshot snapshot = ReadInventory(orb2, letterMask);
    const std::string text = json ? orbinv::JsonText(snapshot) : orbinv::TableText(snapshot);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);

    simulation.Detach();
    FreeLibrary(library);
    return result;
}
