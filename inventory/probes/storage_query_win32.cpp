// The storage driver's view of physical drive slots 0 to 49: device descriptor, geometry, and
// whether sector 0 is blank.
#include <windows.h>
#include <winioctl.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "common/trace.h"
#include "inventory/probes/descriptor.h"
#include "inventory/probes/probes.h"
#include "inventory/probes/slot_trace.h"
#include "inventory/probes/text_fields.h"
#include "inventory/query/tables.h"

namespace {

int32_t ReadSectorZeroEmptyFlag(HANDLE drive)
{
    uint8_t sector[kSectorSize] = {};
    DWORD read = 0;
    SetFilePointer(drive, 0, nullptr, FILE_BEGIN);
    // A read that returns fewer than 512 bytes leaves the rest of the buffer zero: judged on it,
    // a disk holding data could pass for blank. It counts as unreadable.
    if (!ReadFile(drive, sector, kSectorSize, &read, nullptr) || read < kSectorSize)
        return -1;
    return SectorZeroEmptyFlag(sector);
}

const char* SectorZeroText(int32_t emptyFlag)
{
    return emptyFlag == 1 ? "blank" : emptyFlag == 0 ? "in use" : "unreadable";
}

// Fills the identity row at the current count for slot n; true when the row is to be kept.
bool ProbeSlot(int n, HANDLE drive, IdentityRecord& row, uint8_t* answer)
{
    row.empty_flag = ReadSectorZeroEmptyFlag(drive);

    uint8_t query[kStoragePropertyQuerySize] = {};  // StorageDeviceProperty, PropertyStandardQuery
    std::memset(answer, 0, kDescriptorAnswerSize);
    DWORD returned = 0;
    if (!DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof(query), answer, kDescriptorAnswerSize, &returned,
                         nullptr)) {
        Trace("orb2", "storage probe: PhysicalDrive%d: no device descriptor (error %lu): no identity row", n,
              GetLastError());
        return false;
    }
    StoreDescriptorStrings(answer, returned < kDescriptorAnswerSize ? returned : kDescriptorAnswerSize, row);

    std::memset(answer, 0, kDescriptorAnswerSize);
    returned = 0;
    if (!DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0, answer, kDescriptorAnswerSize, &returned,
                         nullptr)) {
        Trace("orb2", "storage probe: PhysicalDrive%d: no geometry (error %lu): no identity row", n, GetLastError());
        return false;
    }
    int64_t diskSize = 0;
    if (!GeometryDiskSize(answer, returned < kDescriptorAnswerSize ? returned : kDescriptorAnswerSize, &diskSize)) {
        Trace("orb2", "storage probe: PhysicalDrive%d: geometry answer of %lu bytes, too short: no identity row", n,
              returned);
        return false;
    }
    FormatInt64(row.disk_size, sizeof(row.disk_size), diskSize);
    if (row.serial_number[0] == '\0') {
        Trace("orb2", "storage probe: PhysicalDrive%d: vendor \"%s\", product \"%s\", no serial number: no identity row",
              n, Shown(row.vendor_id).text, Shown(row.product_id).text);
        return false;
    }
    Trace("orb2", "storage probe: PhysicalDrive%d: identity row %d: vendor \"%s\", product \"%s\", revision \"%s\", "
          "serial \"%s\", size %s, sector 0 %s", n, inventory.identityCount, Shown(row.vendor_id).text,
          Shown(row.product_id).text, Shown(row.product_revision).text, Shown(row.serial_number).text,
          Shown(row.disk_size).text, SectorZeroText(row.empty_flag));
    return true;
}

}  // namespace

void ReadPhysicalDriveInNTUsingStorageQuery()
{
    std::vector<uint8_t> answer(kDescriptorAnswerSize);
    UnopenedSlots unopened("storage probe");
    for (int n = 0; n < 50; ++n) {
        if (inventory.identityCount < 0 || inventory.identityCount >= kIdentityCapacity) {
            Trace("orb2", "storage probe: the identity list is full at PhysicalDrive%d", n);
            return;
        }
        char path[32];
        std::snprintf(path, sizeof(path), "\\\\.\\PhysicalDrive%d", n);
        HANDLE drive = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr);
        if (drive == INVALID_HANDLE_VALUE) {
            unopened.Add(n, GetLastError());
            continue;
        }
        unopened.Flush();
        // A row that is not kept leaves the count alone: the next drive writes the same row.
        if (ProbeSlot(n, drive, inventory.identities[inventory.identityCount], answer.data()))
            ++inventory.identityCount;
        CloseHandle(drive);
    }
}

void CollectDriveIdentities()
{
    ReadPhysicalDriveInNTUsingStorageQuery();
    ReadPhysicalDriveInNTUsingSmart();
}
