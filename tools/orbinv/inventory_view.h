#pragma once
// What orbinv shows: the answers of KVFunc gathered into one snapshot, printed as a table or as
// one JSON document. No Windows calls; every value is the text KVFunc answered.
#include <string>
#include <vector>

namespace orbinv {

struct PhysicalDisk {         // DiskRecord row: queries 2-8, 10, 22
    std::string driveNumber, model, serialNumber, firmware, mediaType, sizeBytes, status, reportOrder, emptyFlag;
};

struct LetterRow {            // query 9 for a letter in use
    char letter = 'C';
    std::string diskNumber;
};

struct RaidDisk {             // RaidDiskRecord row: queries 12-15, 21, 23
    std::string entryIndex, serialNumber, sizeText, arrayMember, busId, emptyFlag;
};

struct Snapshot {
    std::string diskCount, raidDiskCount;  // queries 1 and 11 as answered
    std::vector<PhysicalDisk> disks;
    std::vector<LetterRow> letters;
    std::vector<RaidDisk> raidDisks;
    std::string volumeState, arrayTotalMbText, migrationText;  // queries 17, 19, 20
};

// Rows to read for a count answer: the answer's number, kept within 0 and the table's capacity.
int RowsFor(const std::string& countAnswer, int capacity);

// "500.1" for "500107862016" (decimal gigabytes, one decimal); "" when the text is no number.
std::string GigabyteText(const std::string& sizeBytes);

std::string Utf8(const std::string& text);  // bytes 0x80-0xFF as Latin-1

std::string TableText(const Snapshot& snapshot);
// One JSON document (UTF-8; the answers' 8-bit bytes are taken as Latin-1 code points).
std::string JsonText(const Snapshot& snapshot);

}  // namespace orbinv
