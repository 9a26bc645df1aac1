#pragma once
/* orb2.dll: the drive inventory of this machine, answered one value at a time.

   Compilers: Visual C++ 2005 (8.0) or later, C or C++, and GCC or clang (MinGW-w64).

   char* KVFunc(unsigned int type, int index, const char* text)      (__cdecl, undecorated name)
   void  KVFree(char* answer)                                         (__cdecl, undecorated name)

   Every call answers a new 512-byte buffer holding a NUL-terminated text, allocated with
   msvcrt.dll's malloc. orb2 keeps no reference to it: the caller releases each answer with
   KVFree (a null pointer is ignored), which frees it with the same runtime whatever runtime the
   caller was built with. Never with the caller's own free(): a Visual C++ runtime other than
   msvcrt.dll has a heap of its own. Callers of the original design, which had no KVFree, free
   answers with msvcrt.dll's free (GetProcAddress(GetModuleHandleA("msvcrt.dll"), "free")); that
   still works.
   When the 512 bytes cannot be allocated, KVFunc answers a null pointer and does nothing else
   (query 0 then runs no scan).

   `type` is the query number, taken as unsigned: any number above 24 (a negative number passed
   by a caller included) answers the empty text and reads nothing. `index` is a row number, read
   only by the row queries below; `text` is read only by query 9. Numbers are answered as signed
   decimal text. Sizes: query 7 is a byte count; query 19 is not a number to compute with, and
   query 14 is either (see both).

   Query 0 runs the inventory scan (below) on the calling thread and answers the empty text once
   it has ended. Every other query reads the tables the last scan left; before the first scan
   they are zero (numbers "0", texts empty). Not thread-safe: one call at a time, no read while a
   scan runs. "The report" is the RAID Configuration Utility's report that the last scan read.

     0  run the inventory scan
     1  number of physical disks (diskCount): the drives that answered ATA IDENTIFY through SMART
     2  disk [index]: drive number n of \\.\PhysicalDrive<n>
     3  disk [index]: model
     4  disk [index]: serial number
     5  disk [index]: firmware revision
     6  disk [index]: "Removable", "Fixed" or "Unknown"
     7  disk [index]: size in bytes ("0" when the drive reports none)
     8  disk [index]: "ok"; "no" only when the report contains "Total Arrays = 0" and this is a
        "Fixed" disk whose serial number contains none of the report's serial numbers
     9  physical disk number under drive letter `text` (see below)
    10  disk [index]: its place, from 0, among the disks that the report's serial numbers
        matched, in report order; a disk the report does not list keeps an earlier scan's value
    11  number of RAID disks (raidDiskCount): the report's disks before "Total Physical Disks",
        at most 6
    12  RAID disk [index]: its own index, or -1 when the last scan left the row unused
    13  RAID disk [index]: serial number, as the report gives it
    14  RAID disk [index]: size text. For an array member (query 15 "yes") the text of query 19,
        unless that is "0"; otherwise the byte count of the last disk (query 7) whose serial
        number contains this one's; empty when neither applies
    15  RAID disk [index]: "yes" when its "Summary:" begins with "Ar" (an array member), else
        "no"; empty when the entry has no "Summary:"
    16  always "no"
    17  RAID volume state: 1 for "Total Volumes = 1", 0 for "Total Volumes = 0" (0 wins when both
        occur), else -1; also -1 when the report has one volume on one array and no
        "Summary:Normal" after "RAID Volumes"
    18  the same value as query 17
    19  the first RAID array's size in MB followed by "999999": "476940999999" for 476,940 MB.
        "0" when the report's "RAID Arrays" part has no "TotalMB:" digits; a report without
        "RAID Arrays" leaves the earlier scan's text (empty before any)
    20  the RAID volume's migration progress: the text after "Summary:Migration:" up to its "%"
        (at most 11 characters), or "-1"
    21  RAID disk [index]: empty flag of the disk its size came from (as query 22); an array
        member sized by query 19, or a row no disk matched, keeps an earlier scan's value
    22  disk [index]: empty flag: 1 blank, 0 in use, -1 sector 0 unreadable; kept from an
        earlier scan when the storage driver's view of the drives has no matching row
    23  RAID disk [index]: bus id, the one character after "BusId:0x"; kept from an earlier scan
        when none follows
    24  always the empty text
    25+ the empty text

   Serial numbers (queries 4 and 13) and the models of removable disks (3) may come back
   upper-cased: the scan compares them in place.

   Disk rows are 0 to 49 and RAID disk rows 0 to 5. The index is not checked against the counts:
   rows at or beyond a count answer what an earlier scan left there (or zero). An index outside
   0-49 (disk queries) or 0-5 (RAID disk queries) answers the empty text.

   Query 9: `text` is a bare drive letter, "C" or "c" (not "C:"). The letter's row answers the
   physical disk number, or -1 for a letter that is not on a disk (A and B always, CD/DVD drives,
   volumes that do not answer). A text that matches no row answers the disk number held by the
   first unused row of the table ("0" until a scan has filled that row); a null `text`, or no
   match when all 26 rows are in use, answers "-1".

   The scan, and what it leaves behind. It needs administrator rights (an elevated caller on
   Vista and 7): it opens \\.\PhysicalDrive0 to 49 (for reading and writing, then for reading)
   and each drive letter's volume, and works in the Windows folder. There it writes
   Raidcfg32.exe (Intel's RAID Configuration Utility, resource 1004) and G.bat
   ("raidcfg32.exe /I >Graid.txt"), deletes any Graid.txt, makes the Windows folder the
   process's current directory and starts G.bat hidden, so that the tool writes its report to
   Graid.txt. The report is loaded once no process still writes it. The scan ends by deleting
   Graid.txt, G.bat and Raidcfg32.exe, and leaves the process's current directory at orb2.dll's
   own folder: the caller's earlier one is not restored.
   How long: every wait is a pause of 1 s, up to 10 until Raidcfg32.exe can be opened and up to
   10 shared by G.bat and the report. A tool that answers at once costs one pause (about 1 s,
   plus the drive probes); a slow tool up to 10 s; a Windows folder that cannot be written 20 s.
   No report: when Graid.txt cannot be loaded after those pauses, the scan parses again the
   report of the last successful load in this process (on a first scan, none: no RAID disks,
   states -1). A tool that fails after cmd has created an empty Graid.txt gives an empty report.
   A tool still running after the pauses keeps Graid.txt and Raidcfg32.exe in the Windows folder
   until a later scan, after the tool has ended, deletes them; orb2 never ends it. */
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
/* Releases an answer of KVFunc; a null pointer is ignored. */
void __cdecl KVFree(char* answer);

#ifdef __cplusplus
}
#endif
