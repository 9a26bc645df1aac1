#pragma once
/* orb2.dll: the drive inventory of this machine, answered one value at a time.

   char* KVFunc(unsigned int type, int index, const char* text)      (__cdecl, undecorated name)

   Every call answers a new 512-byte buffer holding a NUL-terminated text, allocated with
   msvcrt.dll's malloc. orb2 keeps no reference to it and exports nothing to release it: the
   caller releases each answer with msvcrt.dll's free (a program built against msvcrt calls
   free(); any other caller uses GetProcAddress(GetModuleHandleA("msvcrt.dll"), "free")).
   When the 512 bytes cannot be allocated, KVFunc answers a null pointer.

   `type` is the query number, taken as unsigned: any number above 24 (a negative number passed
   by a caller included) answers the empty text and reads nothing. `index` is a row number, read
   only by the row queries below; `text` is read only by query 9. Numbers are answered as signed
   decimal text, sizes as byte counts.

   Query 0 runs the inventory scan on the calling thread and answers the empty text once it has
   ended. Every other query reads the tables the last scan left; before the first scan they are
   zero (numbers "0", texts empty). Not thread-safe: one call at a time, no read while a scan runs.

     0  run the inventory scan                       13  RAID disk [index]: serial number
     1  number of physical disks (diskCount)         14  RAID disk [index]: size text
     2  disk [index]: drive number n of               15  RAID disk [index]: array member, "yes"/"no"
        \\.\PhysicalDrive<n>                          16  always "no"
     3  disk [index]: model                           17  RAID volume state: 1, 0 or -1
     4  disk [index]: serial number                   18  the same value as query 17
     5  disk [index]: firmware revision               19  total MB of the RAID array, text
     6  disk [index]: "Removable", "Fixed", "Unknown" 20  migration progress text, or "-1"
     7  disk [index]: size in bytes                   21  RAID disk [index]: empty flag
     8  disk [index]: "ok", or "no" for a fixed disk  22  disk [index]: empty flag: 1 blank,
        the RAID tool does not list                       0 in use, -1 sector 0 unreadable
     9  physical disk number under drive letter      23  RAID disk [index]: bus id, one character
        `text` (see below)                            24  always the empty text
    10  disk [index]: position in the RAID report     25+ the empty text
    11  number of RAID disks (raidDiskCount)
    12  RAID disk [index]: its own index, or -1 when unused

   Disk rows are 0 to 49 and RAID disk rows 0 to 5. The index is not checked against the counts:
   rows at or beyond a count answer what an earlier scan left there (or zero). An index outside
   0-49 (disk queries) or 0-5 (RAID disk queries) answers the empty text.

   Query 9: `text` is a bare drive letter, "C" or "c" (not "C:"). The letter's row answers the
   physical disk number, or -1 for a letter that is not on a disk (A and B always, CD/DVD drives,
   volumes that do not answer). A text that matches no row answers the disk number held by the
   first unused row of the table ("0" until a scan has filled that row); a null `text`, or no
   match when all 26 rows are in use, answers "-1". */
#ifdef __cplusplus
extern "C" {
#endif

/* The query numbers of the list above, named for the value each answers. */
enum Orb2Query {
    ORB2_RUN_SCAN = 0,
    ORB2_DISK_COUNT = 1,
    ORB2_DISK_DRIVE_NUMBER = 2,
    ORB2_DISK_MODEL = 3,
    ORB2_DISK_SERIAL_NUMBER = 4,
    ORB2_DISK_FIRMWARE_REVISION = 5,
    ORB2_DISK_MEDIA_TYPE = 6,
    ORB2_DISK_SIZE = 7,
    ORB2_DISK_STATUS = 8,
    ORB2_LETTER_DISK_NUMBER = 9,
    ORB2_DISK_REPORT_ORDER = 10,
    ORB2_RAID_DISK_COUNT = 11,
    ORB2_RAID_DISK_ENTRY_INDEX = 12,
    ORB2_RAID_DISK_SERIAL_NUMBER = 13,
    ORB2_RAID_DISK_SIZE_TEXT = 14,
    ORB2_RAID_DISK_ARRAY_MEMBER = 15,
    ORB2_ALWAYS_NO = 16,
    ORB2_RAID_VOLUME_STATE = 17,
    ORB2_RAID_VOLUME_STATE_AGAIN = 18,
    ORB2_ARRAY_TOTAL_MB = 19,
    ORB2_MIGRATION = 20,
    ORB2_RAID_DISK_EMPTY_FLAG = 21,
    ORB2_DISK_EMPTY_FLAG = 22,
    ORB2_RAID_DISK_BUS_ID = 23,
    ORB2_DISK_SPARE_TEXT = 24,
    ORB2_LAST_QUERY = 24
};

char* __cdecl KVFunc(unsigned int type, int index, const char* text);

#ifdef __cplusplus
}
#endif
