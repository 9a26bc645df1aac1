#pragma once
// The library-wide inventory that the scan fills and KVFunc reads. Pure data: no Windows
// headers, so the rules that fill it also build and run natively.
#include <cstdint>

constexpr int kDiskCapacity = 50;         // DiskRecord rows, one per answering physical drive
constexpr int kRaidDiskCapacity = 6;      // RaidDiskRecord rows, one per disk of the RAID report
constexpr int kDriveLetterCapacity = 26;  // DriveLetterEntry rows, A to Z
constexpr int kIdentityCapacity = 50;     // IdentityRecord rows of the storage-property probe
constexpr int kReportSerialCapacity = 6;  // serial numbers the scan takes from the report
constexpr int kReportSerialSize = 128;

// One physical drive that answered ATA IDENTIFY DEVICE through SMART.
struct DiskRecord {
    int32_t drive_number;          // n of \\.\PhysicalDrive<n>
    char serial_number[256];
    char model[128];
    char firmware_revision[128];
    char media_type[50];           // "Removable", "Fixed" or "Unknown"
    char disk_size[128];           // bytes, signed decimal
    char status[6];                // "ok", or "no" for a fixed disk the RAID tool does not list
    int32_t report_order;          // not reset by a scan
    char spare_text[4];            // never written: always empty
    int32_t empty_flag;            // -1 sector 0 unreadable, 1 blank, 0 in use; not reset by a scan
};

// One physical disk listed in the RAID report before its "Total Physical Disks" line.
struct RaidDiskRecord {
    int32_t entry_index;           // the row's index, or -1 for a row the last parse left unused
    char serial_number[256];
    char size_text[128];
    char array_member[10];         // "yes", "no", or empty without a summary
    char bus_id[4];                // one character; not cleared by a parse
    int32_t empty_flag;            // not cleared by a parse
};

struct DriveLetterEntry {
    char letter[4];                // "A" to "Z"
    int32_t disk_number;           // n of \\.\PhysicalDrive<n>, or -1
    int32_t device_type;           // 7 (FILE_DEVICE_DISK) or -1
};

// One drive as the storage driver describes it (device descriptor, geometry, sector 0).
struct IdentityRecord {
    char vendor_id[128];
    char product_id[128];
    char product_revision[128];
    char serial_number[256];
    char disk_size[128];
    int32_t empty_flag;            // -1 sector 0 unreadable, 1 blank, 0 in use
};

struct Inventory {
    DiskRecord disks[kDiskCapacity];
    int32_t diskCount;

    RaidDiskRecord raidDisks[kRaidDiskCapacity];
    int32_t raidDiskCount;

    DriveLetterEntry driveLetters[kDriveLetterCapacity];
    int32_t driveLetterCount;

    // RAID summary values, set by the report parser.
    int32_t raidVolumeState;
    int32_t raidArrayState;
    char arrayTotalMbText[128];
    char migrationText[12];

    // Identity list of the storage-property probe.
    IdentityRecord identities[kIdentityCapacity];
    int32_t identityCount;

    // Serial numbers of the report, in report order; the count is local to one scan.
    char reportSerialList[kReportSerialCapacity][kReportSerialSize];
    int32_t reportSerialCount;     // entries the last scan filled, 0 to 6
};

// The one inventory of the process: zero-filled at load, kept until unload.
extern Inventory inventory;
