#pragma once
// Device-level helpers of the probes that take Windows types.
#include <windows.h>
#include <winioctl.h>

// Opens "\\.\" + name (a letter and a colon) for reading and asks its driver for the
// STORAGE_DEVICE_NUMBER; true when the driver answered. Any other name is refused (false, last
// error ERROR_INVALID_PARAMETER).
bool QueryStorageDeviceNumber(const char* name, STORAGE_DEVICE_NUMBER* number);
