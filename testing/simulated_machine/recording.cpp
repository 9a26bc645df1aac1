#include "testing/simulated_machine/recording.h"

#include <cctype>
#include <cstring>

#include "testing/simulated_machine/device_answers.h"  // ControlCode

namespace simulated_machine {
namespace {

uint32_t Le32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint64_t Le64(const uint8_t* bytes)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

}  // namespace

void TakeDescriptorAnswer(const uint8_t* answer, size_t returned, PhysicalDrive& drive)
{
    DescriptorString* strings[4] = {&drive.vendor, &drive.product, &drive.revision, &drive.serial};
    for (size_t i = 0; i < 4; ++i) {
        DescriptorString& s = *strings[i];
        s = DescriptorString();
        if (12 + 4 * i + 4 > returned)
            continue;
        const uint32_t offset = Le32(answer + 12 + 4 * i);
        if (offset == 0)
            continue;
        if (offset >= returned) {
            s.kind = DescriptorString::Kind::RawOffset;
            s.offset = static_cast<int32_t>(offset);
            continue;
        }
        s.kind = DescriptorString::Kind::Bytes;
        size_t end = offset;
        while (end < returned && answer[end] != 0)
            ++end;
        s.bytes.assign(answer + offset, answer + end);
        s.terminated = end < returned;
        if (s.terminated)
            s.bytes.push_back(0);
    }
}

PhysicalDrive& RecordedDrive(Machine& recorded, int slot)
{
    for (PhysicalDrive& drive : recorded.drives) {
        if (drive.slot == slot)
            return drive;
    }
    PhysicalDrive drive;
    drive.slot = slot;
    drive.opensReadWrite = false;
    drive.opensReadOnly = false;
    drive.geometry = PhysicalDrive::Geometry::Fails;
    drive.sectorReadable = false;
    recorded.drives.push_back(drive);
    return recorded.drives.back();
}

DriveLetter& RecordedLetter(Machine& recorded, char letter)
{
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (DriveLetter& entry : recorded.letters) {
        if (entry.letter == letter)
            return entry;
    }
    DriveLetter entry;
    entry.letter = letter;
    entry.inMask = false;
    entry.opens = false;
    entry.answers = false;
    recorded.letters.push_back(entry);
    return recorded.letters.back();
}

void RecordOpen(Machine& recorded, int slot, char letter, bool write)
{
    if (slot >= 0) {
        PhysicalDrive& drive = RecordedDrive(recorded, slot);
        if (write)
            drive.opensReadWrite = true;
        else
            drive.opensReadOnly = true;
    } else {
        RecordedLetter(recorded, letter).opens = true;
    }
}

void RecordControl(Machine& recorded, int slot, char letter, uint32_t code, const uint8_t* answer, size_t size,
                   bool succeeded)
{
    if (answer == nullptr)
        size = 0;
    if (slot < 0) {
        if (code != kStorageGetDeviceNumber)
            return;
        DriveLetter& entry = RecordedLetter(recorded, letter);
        entry.answers = succeeded && size >= 12;
        if (entry.answers) {
            std::memcpy(&entry.deviceType, answer, 4);
            std::memcpy(&entry.deviceNumber, answer + 4, 4);
            std::memcpy(&entry.partitionNumber, answer + 8, 4);
        }
        return;
    }
    PhysicalDrive& drive = RecordedDrive(recorded, slot);
    switch (code) {
    case kSmartGetVersion:
        drive.smartVersion = drive.smartVersion || succeeded;
        break;
    case kSmartRcvDriveData:  // SENDCMDOUTPARAMS: the 512 IDENTIFY bytes at 16
        if (succeeded && size >= 16 + 512) {
            drive.identifyAnswers = true;
            for (size_t w = 0; w < 256; ++w)
                drive.identify[w] = static_cast<uint16_t>(answer[16 + 2 * w] | answer[16 + 2 * w + 1] << 8);
        }
        break;
    case kStorageQueryProperty:
        if (succeeded) {
            drive.hasDescriptor = true;
            drive.returnedBytes = -1;
            TakeDescriptorAnswer(answer, size, drive);
        }
        break;
    case kDiskGetDriveGeometryEx:  // DISK_GEOMETRY_EX: DiskSize at 24
        if (!succeeded) {
            drive.geometry = PhysicalDrive::Geometry::Fails;
        } else if (size >= 32) {
            drive.geometry = PhysicalDrive::Geometry::Answers;
            drive.diskSize = static_cast<int64_t>(Le64(answer + 24));
        } else {
            drive.geometry = PhysicalDrive::Geometry::Short;
        }
        break;
    default:
        break;
    }
}

void RecordSectorZero(Machine& recorded, int slot, const uint8_t* bytes)
{
    PhysicalDrive& drive = RecordedDrive(recorded, slot);
    drive.sectorReadable = bytes != nullptr;
    if (bytes != nullptr)
        std::memcpy(drive.sector0.data(), bytes, 512);
}

void RecordLogicalDrives(Machine& recorded, uint32_t mask)
{
    for (int n = 0; n < 26; ++n) {
        if (mask & (1u << n))
            RecordedLetter(recorded, static_cast<char>('A' + n)).inMask = true;
    }
}

}  // namespace simulated_machine
