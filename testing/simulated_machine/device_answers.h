#pragma once
// The simulated devices' answers, worked out from the machine description alone: which device
// paths are simulated, which opens succeed, what each control request and sector read answers.
// No Windows headers: injector_win32.cpp copies these answers into the callers' buffers, and the
// rules are unit-tested natively.
#include <cstdint>
#include <vector>

#include "testing/simulated_machine/machine.h"

namespace simulated_machine {

// The Windows error codes the devices answer with (<winerror.h>; checked against it in
// injector_win32.cpp).
enum DeviceError : uint32_t {
    kNoError = 0,
    kInvalidFunction = 1,       // ERROR_INVALID_FUNCTION: a request the device does not answer
    kFileNotFound = 2,          // ERROR_FILE_NOT_FOUND: no such drive or letter
    kAccessDenied = 5,          // ERROR_ACCESS_DENIED
    kCrc = 23,                  // ERROR_CRC: a sector that does not read
    kInvalidParameter = 87,     // ERROR_INVALID_PARAMETER
    kInsufficientBuffer = 122,  // ERROR_INSUFFICIENT_BUFFER
    kIoDevice = 1117,           // ERROR_IO_DEVICE
    kDeviceNotConnected = 1167, // ERROR_DEVICE_NOT_CONNECTED: the device left the machine
};

// The control codes the devices answer (<winioctl.h>, <ntdddisk.h>; checked in injector_win32.cpp).
enum ControlCode : uint32_t {
    kSmartGetVersion = 0x00074080,
    kSmartRcvDriveData = 0x0007C088,
    kStorageQueryProperty = 0x002D1400,
    kDiskGetDriveGeometryEx = 0x000700A0,
    kStorageGetDeviceNumber = 0x002D1080,
};

// The STORAGE_DEVICE_DESCRIPTOR answer of a drive (all bytes; the caller applies returnedBytes).
std::vector<uint8_t> DescriptorAnswer(const PhysicalDrive& drive);

// The DISK_GEOMETRY_EX answer: 24 bytes of DISK_GEOMETRY and the 8-byte DiskSize; the first 24
// bytes alone for a short answer.
std::vector<uint8_t> GeometryAnswer(const PhysicalDrive& drive);

// "\\.\PhysicalDriveN" gives its slot; "\\.\X:" its letter; anything else is not simulated.
bool SimulatedPath(const char* path, int* slot, char* letter);

// Whether the drive of `slot` (or, with slot -1, the letter) opens: kNoError, or the error the
// open fails with. `write`: GENERIC_WRITE asked for; `openExisting`: the disposition OPEN_EXISTING.
uint32_t OpenError(const Machine& machine, int slot, char letter, bool write, bool openExisting);

// A control request's answer: on kNoError, the first `returned` bytes of `bytes` (cut to the
// caller's buffer); otherwise nothing, and the request fails with `error`.
struct ControlAnswer {
    uint32_t error = kNoError;
    std::vector<uint8_t> bytes;
    size_t returned = 0;
};
ControlAnswer DriveControl(const PhysicalDrive& drive, uint32_t code, const uint8_t* in, uint32_t inSize,
                           bool hasOut, uint32_t outSize);
ControlAnswer LetterControl(const DriveLetter& entry, uint32_t code, bool hasOut, uint32_t outSize);

// `size` bytes of the drive from `position`: sector 0 as described, every later byte zero. False
// (nothing written) when the drive does not read or the position is before the start.
bool ReadDrive(const PhysicalDrive* drive, int64_t position, uint8_t* out, uint32_t size);

}  // namespace simulated_machine
