#pragma once
// A simulated machine: the physical drives, drive letters and RAID tool state that orb2.dll
// sees through its device calls. Read from a JSON description (see README in the final report
// and machines/default.json). No Windows headers: the model is plain data and byte answers.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace simulated_machine {

// One string of the STORAGE_DEVICE_DESCRIPTOR answer.
struct DescriptorString {
    enum class Kind { Absent, Bytes, RawOffset };
    Kind kind = Kind::Absent;
    std::vector<uint8_t> bytes;  // Bytes: the string's bytes, NUL appended when terminated
    bool terminated = true;
    int32_t offset = 0;          // RawOffset: the offset the descriptor carries, no bytes
};

struct PhysicalDrive {
    int slot = 0;
    bool opensReadWrite = true;   // GENERIC_READ | GENERIC_WRITE
    bool opensReadOnly = true;    // GENERIC_READ alone
    bool smartVersion = false;    // SMART_GET_VERSION answers
    bool identifyAnswers = false; // SMART_RCV_DRIVE_DATA answers IDENTIFY DEVICE
    std::array<uint16_t, 256> identify{};
    bool hasDescriptor = false;   // IOCTL_STORAGE_QUERY_PROPERTY answers
    DescriptorString vendor, product, revision, serial;
    int64_t returnedBytes = -1;   // descriptor bytes the driver returns; -1: all of them
    enum class Geometry { Answers, Fails, Short } geometry = Geometry::Answers;
    int64_t diskSize = 0;
    bool sectorReadable = true;
    std::array<uint8_t, 512> sector0{};
};

struct DriveLetter {
    char letter = 'C';
    bool inMask = true;    // set in GetLogicalDrives
    bool opens = true;     // "\\.\X:" opens
    bool answers = true;   // IOCTL_STORAGE_GET_DEVICE_NUMBER answers
    uint32_t deviceType = 7;
    uint32_t deviceNumber = 0;
    uint32_t partitionNumber = 1;
};

struct Machine {
    std::vector<PhysicalDrive> drives;
    std::vector<DriveLetter> letters;
    bool hasRaidState = false;
    std::string raidStateJson;  // the "raid_state" object, serialized

    const PhysicalDrive* Drive(int slot) const;
    const DriveLetter* Letter(char letter) const;  // either case
    uint32_t LogicalDriveMask() const;
};

// IDENTIFY text into words: two characters per word, first in the high byte, blank-padded.
void PutIdentifyText(std::array<uint16_t, 256>& words, int first, int last, const std::string& text);

// A "raid_state" whose stand-in tool writes `report` verbatim (8-bit bytes kept as they are).
std::string VerbatimReportState(const std::string& report);

bool ParseMachine(const std::string& json, Machine& machine, std::string& error);
// A description that ParseMachine reads back into the same machine (IDENTIFY as all 256 words,
// sector 0 as its 512 bytes, the RAID state as it stands).
std::string WriteMachine(const Machine& machine);
bool LoadMachineFile(const std::string& path, Machine& machine, std::string& error);

}  // namespace simulated_machine
