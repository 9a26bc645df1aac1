// ATA IDENTIFY DEVICE through the SMART interface of the disk driver, slots 0 to 49.
#include <windows.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>

#include "common/trace.h"
#include "inventory/probes/identify.h"
#include "inventory/probes/probes.h"
#include "inventory/probes/slot_trace.h"
#include "inventory/query/tables.h"

namespace {

constexpr DWORD kGetVersionInParamsSize = 24;  // GETVERSIONINPARAMS

void ProbeSlot(int n, UnopenedSlots& unopened)
{
    char path[32];
    std::snprintf(path, sizeof(path), "\\\\.\\PhysicalDrive%d", n);
    HANDLE drive = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    if (drive == INVALID_HANDLE_VALUE) {
        unopened.Add(n, GetLastError());
        return;
    }
    unopened.Flush();

    uint8_t version[kGetVersionInParamsSize] = {};
    DWORD returned = 0;
    if (!DeviceIoControl(drive, SMART_GET_VERSION, nullptr, 0, version, sizeof(version), &returned, nullptr)) {
        Trace("orb2", "smart probe: PhysicalDrive%d: no SMART version (error %lu): no disk row", n, GetLastError());
        CloseHandle(drive);
        return;
    }

    uint8_t block[kSmartBlockSize];
    PrepareIdentifyRequest(block);
    returned = 0;
    if (DeviceIoControl(drive, SMART_RCV_DRIVE_DATA, block, kSendCmdInParamsSize, block, kSmartBlockSize, &returned,
                        nullptr)) {
        uint32_t words[kIdentifyWordCount];
        WidenIdentifyWords(block, words);
        const int32_t before = inventory.diskCount;
        StoreIdentifyData(n, words);  // the scan traces each disk row it settles
        if (inventory.diskCount == before)
            Trace("orb2", "smart probe: PhysicalDrive%d: IDENTIFY answered, the disk table is full", n);
    } else {
        Trace("orb2", "smart probe: PhysicalDrive%d: IDENTIFY not answered (error %lu): no disk row", n, GetLastError());
    }
    CloseHandle(drive);
}

}  // namespace

void ReadPhysicalDriveInNTUsingSmart()
{
    UnopenedSlots unopened("smart probe");
    for (int n = 0; n < 50; ++n)
        ProbeSlot(n, unopened);
}
