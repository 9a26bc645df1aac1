#pragma once
// Reconciling the ATA view (DiskRecord rows) with the storage driver's view (IdentityRecord rows).
#include <cstddef>

struct Inventory;
struct DiskRecord;
struct IdentityRecord;

// Letters a-z become A-Z in place; every other byte stays. Stops at the terminator or the
// field's end.
void UpperCaseField(char* text, size_t size);

template <size_t N>
void UpperCaseField(char (&text)[N])
{
    UpperCaseField(text, N);
}

// Equal ignoring case, each text read no further than its field.
bool FieldsEqualIgnoringCase(const char* a, size_t aSize, const char* b, size_t bSize);

// `needle` occurs in `haystack` (both already upper-cased), each read no further than its field.
bool FieldContains(const char* haystack, size_t haystackSize, const char* needle, size_t needleSize);

// Copies product, revision, serial number, size and empty_flag of an identity row into a disk.
void TakeOverIdentity(DiskRecord& disk, const IdentityRecord& identity);

// Every DiskRecord row 0..diskCount-1 against every identity row 0..identityCount-1, in order,
// so that a later match overwrites an earlier one:
//  - "Removable" or "Unknown": takes over every "Intel" row; learns empty_flag from a row whose
//    serial number and model equal its own (ignoring case).
//  - "Fixed": of size "0", takes over every "Intel" row; then learns empty_flag from every row
//    whose serial number its own contains.
// Compared serial numbers (and the models of removable/unknown disks) are left upper-cased.
void ReconcileDisksWithIdentities(Inventory& tables);
