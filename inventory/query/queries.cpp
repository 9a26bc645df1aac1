// Query numbers of KVFunc and the table value each one answers.
#include "inventory/query/queries.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/bounded_text.h"
#include "inventory/query/tables.h"

namespace {

void Number(char* answer, int32_t value)
{
    std::snprintf(answer, kAnswerSize, "%d", static_cast<int>(value));
}

template <size_t N>
void Text(char* answer, const char (&field)[N])
{
    static_assert(N < kAnswerSize, "every field fits an answer");
    size_t length = strnlen(field, N - 1);
    std::memcpy(answer, field, length);
    answer[length] = '\0';
}

// `letter` (terminated within its field) equals `text` ignoring case; reads `text` no further
// than the letter field allows.
bool LetterEquals(const char (&letter)[4], const char* text)
{
    const std::string_view stored = bounded_text::FieldText(letter);
    return stored.size() < sizeof(letter) &&
           bounded_text::EqualIgnoringCase(stored, bounded_text::CText(text, sizeof(letter)));
}

// Query 9: the disk number of the first row whose letter equals `text`; without one, the row at
// driveLetterCount (the first unused row) answers.
int32_t DiskNumberOfLetter(const Inventory& tables, const char* text)
{
    if (text == nullptr)
        return -1;
    int count = tables.driveLetterCount;
    if (count < 0 || count > kDriveLetterCapacity)
        return -1;
    for (int i = 0; i < count; ++i) {
        if (LetterEquals(tables.driveLetters[i].letter, text))
            return tables.driveLetters[i].disk_number;
    }
    return count < kDriveLetterCapacity ? tables.driveLetters[count].disk_number : -1;
}

}  // namespace

void WriteQueryAnswer(const Inventory& tables, unsigned int type, int index, const char* text, char* answer)
{
    answer[0] = '\0';
    const bool diskRow = index >= 0 && index < kDiskCapacity;
    const bool raidRow = index >= 0 && index < kRaidDiskCapacity;
    const DiskRecord* disk = diskRow ? &tables.disks[index] : nullptr;
    const RaidDiskRecord* raid = raidRow ? &tables.raidDisks[index] : nullptr;

    switch (type) {
    case ORB2_DISK_COUNT: Number(answer, tables.diskCount); break;
    case ORB2_DISK_DRIVE_NUMBER: if (disk) Number(answer, disk->drive_number); break;
    case ORB2_DISK_MODEL: if (disk) Text(answer, disk->model); break;
    case ORB2_DISK_SERIAL_NUMBER: if (disk) Text(answer, disk->serial_number); break;
    case ORB2_DISK_FIRMWARE_REVISION: if (disk) Text(answer, disk->firmware_revision); break;
    case ORB2_DISK_MEDIA_TYPE: if (disk) Text(answer, disk->media_type); break;
    case ORB2_DISK_SIZE: if (disk) Text(answer, disk->disk_size); break;
    case ORB2_DISK_STATUS: if (disk) Text(answer, disk->status); break;
    case ORB2_LETTER_DISK_NUMBER: Number(answer, DiskNumberOfLetter(tables, text)); break;
    case ORB2_DISK_REPORT_ORDER: if (disk) Number(answer, disk->report_order); break;
    case ORB2_RAID_DISK_COUNT: Number(answer, tables.raidDiskCount); break;
    case ORB2_RAID_DISK_ENTRY_INDEX: if (raid) Number(answer, raid->entry_index); break;
    case ORB2_RAID_DISK_SERIAL_NUMBER: if (raid) Text(answer, raid->serial_number); break;
    case ORB2_RAID_DISK_SIZE_TEXT: if (raid) Text(answer, raid->size_text); break;
    case ORB2_RAID_DISK_ARRAY_MEMBER: if (raid) Text(answer, raid->array_member); break;
    case ORB2_ALWAYS_NO: std::strcpy(answer, "no"); break;
    case ORB2_RAID_VOLUME_STATE:  // 17 and 18 both answer the volume state; no query answers raidArrayState
    case ORB2_RAID_VOLUME_STATE_AGAIN: Number(answer, tables.raidVolumeState); break;
    case ORB2_ARRAY_TOTAL_MB: Text(answer, tables.arrayTotalMbText); break;
    case ORB2_MIGRATION: Text(answer, tables.migrationText); break;
    case ORB2_RAID_DISK_EMPTY_FLAG: if (raid) Number(answer, raid->empty_flag); break;
    case ORB2_DISK_EMPTY_FLAG: if (disk) Number(answer, disk->empty_flag); break;
    case ORB2_RAID_DISK_BUS_ID: if (raid) Text(answer, raid->bus_id); break;
    case ORB2_DISK_SPARE_TEXT: break;  // spare_text of a DiskRecord: never written, always empty
    default: break;  // query 0 answers empty after its scan; above 24 nothing is read
    }
}
