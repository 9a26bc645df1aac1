// raidcfg32.exe: this project's stand-in for Intel's RAID Configuration Utility.
//
//   raidcfg32.exe /I     writes the information report to standard output (CR LF lines)
//
// The RAID state comes from the JSON file named by ORB_RAIDCFG32_STATE; without it the machine's
// physical drives are listed as non-RAID disks, with no volume and no array.
#include <windows.h>
#include <winioctl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "testing/standins/raidcfg32/raid_state.h"

namespace {

constexpr int kDriveSlots = 16;

void Usage()
{
    std::fputs("Intel(R) RAID Configuration Utility (stand-in)\n"
               "Usage: raidcfg32.exe /I   write the information report\n"
               "The RAID state is read from the JSON file named by ORB_RAIDCFG32_STATE.\n",
               stderr);
}

bool ReadFileText(const char* path, std::string& text)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, n);
    std::fclose(file);
    return true;
}

// The serial number of \\.\PhysicalDrive<n> from its storage device descriptor (leading blanks
// dropped), or false.
bool PhysicalDriveSerial(int n, std::string& serial)
{
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\PhysicalDrive%d", n);
    HANDLE drive = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (drive == INVALID_HANDLE_VALUE)
        return false;
    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    char buffer[1024] = {};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, buffer, sizeof buffer,
                                    &returned, nullptr);
    CloseHandle(drive);
    if (!ok || returned < sizeof(STORAGE_DEVICE_DESCRIPTOR) || returned > sizeof buffer)
        return false;
    const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(buffer);
    const DWORD offset = descriptor->SerialNumberOffset;
    serial.clear();
    if (offset != 0 && offset < returned) {
        for (DWORD i = offset; i < returned && buffer[i] != '\0'; ++i)
            serial += buffer[i];
    }
    const size_t first = serial.find_first_not_of(' ');
    serial = first == std::string::npos ? std::string() : serial.substr(first);
    return true;
}

RaidState MachineState()
{
    RaidState state;
    for (int n = 0; n < kDriveSlots; ++n) {
        std::string serial;
        if (!PhysicalDriveSerial(n, serial) || serial.empty())
            continue;  // a drive without a serial number is not one the RAID driver lists
        StandInDisk disk;
        disk.serial = serial;
        char bus[8];
        std::snprintf(bus, sizeof bus, "%X", n);
        disk.busId = bus;
        state.disks.push_back(disk);
    }
    return state;
}

void Write(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || (std::strcmp(argv[1], "/I") != 0 && std::strcmp(argv[1], "/i") != 0)) {
        Usage();
        return 2;
    }
    RaidState state;
    if (const char* statePath = std::getenv("ORB_RAIDCFG32_STATE"); statePath != nullptr && *statePath != '\0') {
        std::string json, error;
        if (!ReadFileText(statePath, json)) {
            std::fprintf(stderr, "raidcfg32: cannot read the state file %s\n", statePath);
            return 3;
        }
        if (!ReadRaidState(json, state, error)) {
            std::fprintf(stderr, "raidcfg32: %s: %s\n", statePath, error.c_str());
            return 3;
        }
    } else {
        state = MachineState();
    }

    switch (state.behaviour) {
    case Behaviour::Silent:
        return 0;
    case Behaviour::Fail:
        std::fputs("Error: the Intel RAID driver does not answer\n", stderr);
        return state.exitCode;
    case Behaviour::Hang:
        Sleep(static_cast<DWORD>(state.delayMs < 0 ? 0 : state.delayMs));
        return 0;
    case Behaviour::Normal:
    case Behaviour::Slow:
    case Behaviour::Crash:
        break;
    }
    _setmode(_fileno(stdout), _O_BINARY);  // the report's lines carry their own CR LF
    const RaidReport report = WriteRaidReport(state);
    Write(report.disks);
    if (state.behaviour == Behaviour::Crash)
        return state.exitCode;  // the volumes and arrays are never written
    if (state.behaviour == Behaviour::Slow)
        Sleep(static_cast<DWORD>(state.delayMs < 0 ? 0 : state.delayMs));
    Write(report.rest);
    return 0;
}
