// ATA IDENTIFY DEVICE through the SMART interface of the disk driver, slots 0 to 49.
#include <windows.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>

#include "inventory/probes/identify.h"
#include "inventory/probes/probes.h"

namespace {

constexpr DWORD kSmartGetVersion = 0x00074080;    // SMART_GET_VERSION
constexpr DWORD kSmartRcvDriveData = 0x0007C088;  // SMART_RCV_DRIVE_DATA
constexpr DWORD kGetVersionInParamsSize = 24;     // GETVERSIONINPARAMS

void ProbeSlot(int n)
{
    char path[32];
    std::snprintf(path, sizeof(path), "\\\\.\\PhysicalDrive%d", n);
    HANDLE drive = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    if (drive == INVALID_HANDLE_VALUE)
        return;

    uint8_t version[kGetVersionInParamsSize] = {};
    DWORD returned = 0;
    if (!DeviceIoControl(drive, kSmartGetVersion, nullptr, 0, version, sizeof(version), &returned, nullptr)) {
        CloseHandle(drive);
        return;
    }

    uint8_t block[kSmartBlockSize];
    PrepareIdentifyRequest(block);
    returned = 0;
    if (DeviceIoControl(drive, kSmartRcvDriveData, block, kSendCmdInParamsSize, block, kSmartBlockSize, &returned,
                        nullptr)) {
        uint32_t words[kIdentifyWordCount];
        WidenIdentifyWords(block, words);
        StoreIdentifyData(n, words);
    }
    CloseHandle(drive);
}

}  // namespace

void ReadPhysicalDriveInNTUsingSmart()
{
    for (int n = 0; n < 50; ++n)
        ProbeSlot(n);
}
