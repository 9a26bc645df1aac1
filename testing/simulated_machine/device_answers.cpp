#include "testing/simulated_machine/device_answers.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/bounded_text.h"

namespace simulated_machine {
namespace {

// `text` (a C string) starts with `prefix`, ignoring ASCII case.
bool StartsWithIgnoringCase(const char* text, const char* prefix)
{
    const std::string_view start(prefix);
    return bounded_text::StartsWithIgnoringCase(bounded_text::CText(text, start.size()), start);
}

void PutLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

ControlAnswer Failed(uint32_t error)
{
    ControlAnswer answer;
    answer.error = error;
    return answer;
}

ControlAnswer Answered(std::vector<uint8_t> bytes, size_t returned)
{
    ControlAnswer answer;
    answer.bytes = std::move(bytes);
    answer.returned = returned;
    return answer;
}

}  // namespace

std::vector<uint8_t> DescriptorAnswer(const PhysicalDrive& drive)
{
    // STORAGE_DEVICE_DESCRIPTOR: Version, Size, DeviceType, DeviceTypeModifier, RemovableMedia,
    // CommandQueueing, four string offsets (12, 16, 20, 24), BusType (28), RawPropertiesLength.
    constexpr size_t kHeader = 40;
    std::vector<uint8_t> answer(kHeader, 0);
    PutLe32(answer, 0, kHeader);
    PutLe32(answer, 28, 11);  // BusTypeSata
    const DescriptorString* strings[4] = {&drive.vendor, &drive.product, &drive.revision, &drive.serial};
    for (size_t i = 0; i < 4; ++i) {
        const DescriptorString& s = *strings[i];
        uint32_t offset = 0;
        if (s.kind == DescriptorString::Kind::Bytes) {
            offset = static_cast<uint32_t>(answer.size());
            answer.insert(answer.end(), s.bytes.begin(), s.bytes.end());
        } else if (s.kind == DescriptorString::Kind::RawOffset) {
            offset = static_cast<uint32_t>(s.offset);
        }
        PutLe32(answer, 12 + 4 * i, offset);
    }
    PutLe32(answer, 4, static_cast<uint32_t>(answer.size()));
    return answer;
}

std::vector<uint8_t> GeometryAnswer(const PhysicalDrive& drive)
{
    std::vector<uint8_t> answer(32, 0);
    uint64_t cylinders = static_cast<uint64_t>(drive.diskSize) / (255u * 63u * 512u);
    for (int i = 0; i < 8; ++i)
        answer[static_cast<size_t>(i)] = static_cast<uint8_t>(cylinders >> (8 * i));
    PutLe32(answer, 8, 12);    // FixedMedia
    PutLe32(answer, 12, 255);  // TracksPerCylinder
    PutLe32(answer, 16, 63);   // SectorsPerTrack
    PutLe32(answer, 20, 512);  // BytesPerSector
    for (int i = 0; i < 8; ++i)
        answer[24 + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint64_t>(drive.diskSize) >> (8 * i));
    if (drive.geometry == PhysicalDrive::Geometry::Short)
        answer.resize(24);
    return answer;
}

bool SimulatedPath(const char* path, int* slot, char* letter)
{
    if (path == nullptr || !StartsWithIgnoringCase(path, "\\\\.\\"))
        return false;
    const char* rest = path + 4;
    if (StartsWithIgnoringCase(rest, "PhysicalDrive")) {
        const char* digits = rest + 13;
        if (*digits == '\0' || std::strlen(digits) > 6)
            return false;
        for (const char* d = digits; *d; ++d) {
            if (!std::isdigit(static_cast<unsigned char>(*d)))
                return false;
        }
        *slot = std::atoi(digits);
        return true;
    }
    if (std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':' && rest[2] == '\0') {
        *letter = rest[0];
        return true;
    }
    return false;
}

uint32_t OpenError(const Machine& machine, int slot, char letter, bool write, bool openExisting)
{
    uint32_t error = kFileNotFound;
    bool opens = false;
    if (slot >= 0) {
        if (const PhysicalDrive* drive = machine.Drive(slot)) {
            opens = write ? drive->opensReadWrite : drive->opensReadOnly;
            error = kAccessDenied;
        }
    } else if (const DriveLetter* entry = machine.Letter(letter)) {
        opens = entry->opens;
        error = kAccessDenied;
    }
    if (opens && !openExisting)
        return kInvalidParameter;
    return opens ? kNoError : error;
}

ControlAnswer DriveControl(const PhysicalDrive& drive, uint32_t code, const uint8_t* in, uint32_t inSize,
                           bool hasOut, uint32_t outSize)
{
    switch (code) {
    case kSmartGetVersion: {  // GETVERSIONINPARAMS, 24 bytes
        if (!drive.smartVersion)
            return Failed(kInvalidFunction);
        if (!hasOut || outSize < 24)
            return Failed(kInsufficientBuffer);
        std::vector<uint8_t> version(24, 0);
        version[0] = 1;     // bVersion
        version[1] = 1;     // bRevision
        version[3] = 1;     // bIDEDeviceMap
        version[4] = 0x07;  // fCapabilities: ATA, ATAPI, SMART
        return Answered(version, version.size());
    }
    case kSmartRcvDriveData: {  // SENDCMDINPARAMS in, SENDCMDOUTPARAMS out
        if (!drive.identifyAnswers)
            return Failed(kInvalidFunction);
        if (in == nullptr || inSize < 33 || in[10] != 0xEC)  // bCommandReg: IDENTIFY DEVICE
            return Failed(kInvalidParameter);
        if (!hasOut || outSize < 16 + 512)
            return Failed(kInsufficientBuffer);
        std::vector<uint8_t> answer(16 + 512, 0);
        answer[0] = 0x00;  // cBufferSize = 512
        answer[1] = 0x02;
        for (size_t w = 0; w < 256; ++w) {
            answer[16 + 2 * w] = static_cast<uint8_t>(drive.identify[w]);
            answer[16 + 2 * w + 1] = static_cast<uint8_t>(drive.identify[w] >> 8);
        }
        return Answered(answer, answer.size());
    }
    case kStorageQueryProperty: {
        if (!drive.hasDescriptor)
            return Failed(kInvalidFunction);
        // StorageDeviceProperty (0), PropertyStandardQuery (0).
        if (in == nullptr || inSize < 8 || std::memcmp(in, "\0\0\0\0\0\0\0\0", 8) != 0)
            return Failed(kInvalidParameter);
        std::vector<uint8_t> answer = DescriptorAnswer(drive);
        const size_t returned = drive.returnedBytes < 0 ? answer.size() : static_cast<size_t>(drive.returnedBytes);
        return Answered(answer, returned);
    }
    case kDiskGetDriveGeometryEx: {
        if (drive.geometry == PhysicalDrive::Geometry::Fails)
            return Failed(kInvalidFunction);
        std::vector<uint8_t> answer = GeometryAnswer(drive);
        const size_t returned = answer.size();
        return Answered(std::move(answer), returned);
    }
    default:
        return Failed(kInvalidFunction);
    }
}

ControlAnswer LetterControl(const DriveLetter& entry, uint32_t code, bool hasOut, uint32_t outSize)
{
    if (code != kStorageGetDeviceNumber || !entry.answers)
        return Failed(kInvalidFunction);
    if (!hasOut || outSize < 12)
        return Failed(kInsufficientBuffer);
    // STORAGE_DEVICE_NUMBER: DeviceType, DeviceNumber, PartitionNumber.
    std::vector<uint8_t> number(12, 0);
    const uint32_t values[3] = {entry.deviceType, entry.deviceNumber, entry.partitionNumber};
    std::memcpy(number.data(), values, sizeof(values));
    return Answered(number, number.size());
}

bool ReadDrive(const PhysicalDrive* drive, int64_t position, uint8_t* out, uint32_t size)
{
    if (drive == nullptr || !drive->sectorReadable || position < 0)
        return false;
    for (uint32_t i = 0; i < size; ++i) {
        const int64_t at = position + i;
        out[i] = at < 512 ? drive->sector0[static_cast<size_t>(at)] : 0;
    }
    return true;
}

}  // namespace simulated_machine
