// The simulated machine seen through this test program's own import table: what is simulated,
// what passes through to Windows, and the RAID tool state handed to the raidcfg32 stand-in.
#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "testing/simulated_machine/simulated_machine.h"
#include "testing/support/file_text_win32.h"

namespace {

using simulated_machine::Machine;
using simulated_machine::Simulation;

Machine Parse(const char* json)
{
    Machine machine;
    std::string error;
    EXPECT_TRUE(simulated_machine::ParseMachine(json, machine, error)) << error;
    return machine;
}

// The device calls of this program, each in a function of its own: within one function the
// compiler may load an import-table entry once, before the simulation patches it.
#define ORB_NOINLINE __attribute__((noinline))
ORB_NOINLINE HANDLE Open(const char* path, DWORD access, DWORD share = 3)
{
    return CreateFileA(path, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}
ORB_NOINLINE BOOL Read(HANDLE handle, void* buffer, DWORD size, DWORD* read)
{
    return ReadFile(handle, buffer, size, read, nullptr);
}
ORB_NOINLINE DWORD Seek(HANDLE handle, LONG position)
{
    return SetFilePointer(handle, position, nullptr, FILE_BEGIN);
}
ORB_NOINLINE BOOL Control(HANDLE handle, DWORD code, void* out, DWORD outSize, DWORD* returned)
{
    return DeviceIoControl(handle, code, nullptr, 0, out, outSize, returned, nullptr);
}
ORB_NOINLINE BOOL Close(HANDLE handle)
{
    return CloseHandle(handle);
}
ORB_NOINLINE DWORD LogicalDrives()
{
    return GetLogicalDrives();
}

TEST(MachineDescription, TheDefaultMachineLoads)
{
    Machine machine;
    std::string error;
    ASSERT_TRUE(simulated_machine::LoadMachineFile(ORB_DEFAULT_MACHINE, machine, error)) << error;
    ASSERT_EQ(2u, machine.drives.size());
    EXPECT_EQ((1u << 2) | (1u << 3), machine.LogicalDriveMask());  // C and D
    EXPECT_EQ(2u, machine.Letter('d')->deviceType);                // the DVD drive
    EXPECT_TRUE(machine.drives[1].identifyAnswers);
    EXPECT_EQ(0x55, machine.drives[0].sector0[510]);  // the system disk has a partition table
    EXPECT_TRUE(machine.hasRaidState);  // the RAID tool lists both disks as non-RAID disks
}

TEST(MachineDescription, ErrorsAreReportedNotThrown)
{
    const char* bad[] = {
        "{",                                                            // not JSON
        R"({"physical_drives": [{"opens": "read-write"}]})",             // no slot
        R"({"physical_drives": [{"slot": 0, "opens": "sometimes"}]})",
        R"({"physical_drives": [{"slot": 0, "descriptor": {"serial": {"hex": "4"}}}]})",
        R"({"physical_drives": [{"slot": 0, "sector0": {"bytes": {"510": "55aa00"}}}]})",
        R"({"physical_drives": [{"slot": 0, "identify": {"words": {"256": 1}}}]})",
        R"({"drive_letters": [{"letter": "CD"}]})",
    };
    for (const char* json : bad) {
        Machine machine;
        std::string error;
        EXPECT_FALSE(simulated_machine::ParseMachine(json, machine, error)) << json;
        EXPECT_FALSE(error.empty()) << json;
    }
}

TEST(Simulation, DevicePathsAreSimulatedAndEverythingElsePassesThrough)
{
    char folder[MAX_PATH], file[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(sizeof(folder), folder));
    ASSERT_NE(0u, GetTempFileNameA(folder, "sim", 0, file));
    HANDLE real = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, real);
    DWORD written = 0;
    WriteFile(real, "real", 4, &written, nullptr);
    CloseHandle(real);

    Simulation simulation;
    std::string error;
    ASSERT_TRUE(simulation.Attach(GetModuleHandleA(nullptr), Parse(R"({
        "physical_drives": [{"slot": 3, "opens": "read-only", "sector0": {"fill": 165}}],
        "drive_letters": [{"letter": "Q", "device_type": 7, "device_number": 3}]})"), &error)) << error;

    // A real file: opened, read and closed by Windows, not recorded.
    HANDLE passed = Open(file, GENERIC_READ, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, passed);
    char text[8] = {};
    DWORD read = 0;
    EXPECT_TRUE(Read(passed, text, sizeof(text), &read));
    EXPECT_EQ("real", std::string(text, read));
    EXPECT_TRUE(Close(passed));
    EXPECT_TRUE(simulation.Log().opens.empty());

    // A simulated drive: read-write refused, read-only opens, sector 0 as described.
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("\\\\.\\PhysicalDrive3", GENERIC_READ | GENERIC_WRITE, 7));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, Open("\\\\.\\PhysicalDrive4", GENERIC_READ));
    HANDLE drive = Open("\\\\.\\physicaldrive3", GENERIC_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, drive);
    uint8_t sector[512] = {};
    Seek(drive, 0);
    EXPECT_TRUE(Read(drive, sector, sizeof(sector), &read));
    EXPECT_EQ(512u, read);
    EXPECT_EQ(0xA5, sector[0]);
    EXPECT_EQ(0xA5, sector[511]);
    DWORD returned = 0;
    uint8_t version[24];
    EXPECT_FALSE(Control(drive, SMART_GET_VERSION, version, sizeof(version), &returned));  // no SMART described
    EXPECT_TRUE(Close(drive));

    // A simulated volume, and the mask.
    HANDLE volume = Open("\\\\.\\Q:", GENERIC_READ);
    ASSERT_NE(INVALID_HANDLE_VALUE, volume);
    uint32_t number[3] = {};
    EXPECT_TRUE(Control(volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, number, sizeof(number), &returned));
    EXPECT_EQ(12u, returned);
    EXPECT_EQ(7u, number[0]);
    EXPECT_EQ(3u, number[1]);
    Close(volume);
    EXPECT_EQ(1u << ('Q' - 'A'), LogicalDrives());

    const auto& log = simulation.Log();
    ASSERT_EQ(4u, log.opens.size());
    EXPECT_EQ(static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE), log.opens[0].access);
    EXPECT_EQ(7u, log.opens[0].share);
    EXPECT_FALSE(log.opens[0].opened);
    EXPECT_EQ(2u, log.controls.size());
    EXPECT_EQ(0, log.handlesOpen);
    simulation.Detach();
    EXPECT_TRUE(simulation.Log().opens.empty()) << "detached: an empty log";

    // After the detach, the import is Wine's own again (whose drives vary with the prefix: its Z:
    // once went missing for a call).
    EXPECT_EQ(reinterpret_cast<FARPROC>(&GetLogicalDrives),
              GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetLogicalDrives"));
    EXPECT_NE(1u << ('Q' - 'A'), LogicalDrives());
    DeleteFileA(file);
}

TEST(Simulation, RaidStateIsHandedOverInAFileNamedByTheEnvironment)
{
    const char* json = R"({"raid_state": {"arrays": [{"name": "Volume0", "level": 1}], "report": "Total Arrays = 0\r\n"}})";
    Machine machine = Parse(json);
    ASSERT_TRUE(machine.hasRaidState);
    {
        Simulation simulation;
        ASSERT_TRUE(simulation.Attach(GetModuleHandleA(nullptr), machine));
        char path[MAX_PATH] = {};
        ASSERT_NE(0u, GetEnvironmentVariableA("ORB_RAIDCFG32_STATE", path, sizeof(path)));
        std::string written = ReadWholeFile(path);
        EXPECT_EQ(machine.raidStateJson, written);
        EXPECT_NE(std::string::npos, written.find("\"Volume0\""));
        simulation.Detach();
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path)) << "removed at the detach";
        EXPECT_EQ(0u, GetEnvironmentVariableA("ORB_RAIDCFG32_STATE", path, sizeof(path)));
    }
    {
        Simulation simulation;  // without a raid_state the variable stays unset
        ASSERT_TRUE(simulation.Attach(GetModuleHandleA(nullptr), Parse("{}")));
        char path[MAX_PATH];
        EXPECT_EQ(0u, GetEnvironmentVariableA("ORB_RAIDCFG32_STATE", path, sizeof(path)));
    }
}

TEST(Simulation, OneAtATime)
{
    Simulation first, second;
    std::string error;
    ASSERT_TRUE(first.Attach(GetModuleHandleA(nullptr), Parse("{}"), &error));
    EXPECT_FALSE(second.Attach(GetModuleHandleA(nullptr), Parse("{}"), &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
