// Drive letters in use and the physical disk under each letter's volume.
#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>

#include "common/trace.h"
#include "inventory/probes/drive_letters.h"
#include "inventory/probes/probes.h"
#include "inventory/probes/probes_win32.h"

namespace {
// An answer that stops before PartitionNumber still names the disk: DeviceType, DeviceNumber.
constexpr DWORD kDeviceNumberEnd = offsetof(STORAGE_DEVICE_NUMBER, PartitionNumber);
static_assert(kDeviceNumberEnd == 8, "DeviceType (0-3), DeviceNumber (4-7)");
}  // namespace

static_assert(sizeof(STORAGE_DEVICE_NUMBER) == 12, "DeviceType, DeviceNumber, PartitionNumber");

std::string EnumerateDriveLetters()
{
    return RebuildDriveOrdinalMap(GetLogicalDrives());
}

bool QueryStorageDeviceNumber(const char* name, STORAGE_DEVICE_NUMBER* number)
{
    // Only a letter and a colon make a volume path of at most 7 bytes ("\\.\C:").
    if (name == nullptr || number == nullptr || strnlen(name, 3) != 2 || name[1] != ':') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    char path[8];
    lstrcpyA(path, "\\\\.\\");
    lstrcatA(path, name);
    HANDLE volume = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (volume == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    // An answer that stops before DeviceNumber's end (byte 8) would map the letter to whatever
    // the zeroed structure holds, disk 0: it counts as no answer.
    const bool succeeded = DeviceIoControl(volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, number, sizeof(*number),
                                           &returned, nullptr) != FALSE;
    const DWORD error = GetLastError();
    const bool answered = succeeded && returned >= kDeviceNumberEnd;
    if (succeeded && !answered)
        Trace("orb2", "letters: %s device number answer of %lu bytes, too short", path + 4, returned);
    CloseHandle(volume);
    SetLastError(error);
    return answered;
}

bool GetDriveLetterDiskNumber(const char* letter, int32_t* deviceType, int32_t* diskNumber)
{
    *deviceType = -1;
    *diskNumber = -1;
    if (letter == nullptr)
        return false;
    char name[4] = {};
    size_t length = strnlen(letter, 2);  // a longer text gives a name the volume query refuses
    std::memcpy(name, letter, length);
    name[length] = ':';
    if (IsFloppyDriveName(name))
        return false;
    STORAGE_DEVICE_NUMBER number;
    std::memset(&number, 0, sizeof(number));
    if (!QueryStorageDeviceNumber(name, &number)) {
        Trace("orb2", "letters: %s no device number (error %lu)", Shown(name).text, GetLastError());
        return false;
    }
    if (number.DeviceType != FILE_DEVICE_DISK) {
        Trace("orb2", "letters: %s device type %lu, not a disk", Shown(name).text,
              static_cast<unsigned long>(number.DeviceType));
        return false;
    }
    *deviceType = 7;
    *diskNumber = static_cast<int32_t>(number.DeviceNumber);
    Trace("orb2", "letters: %s on disk %ld", Shown(name).text, static_cast<long>(*diskNumber));
    return true;
}
