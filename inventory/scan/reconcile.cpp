#include "inventory/scan/reconcile.h"

#include <cstring>

#include "common/bounded_text.h"
#include "common/trace.h"
#include "inventory/query/tables.h"

using bounded_text::FieldText;

namespace {

bool IsIntel(const IdentityRecord& identity)
{
    return FieldsEqualIgnoringCase(identity.vendor_id, sizeof(identity.vendor_id), "Intel", 6);
}

// A field of another size: read no further than its size - 1 characters nor the target holds.
template <size_t N>
void CopyBounded(char (&to)[N], const char* from, size_t fromSize)
{
    bounded_text::CopyField(to, bounded_text::CText(from, (fromSize < N ? fromSize : N) - 1));
}

void TraceTakeOver(const DiskRecord& disk, int e)
{
    Trace("orb2", "reconcile: PhysicalDrive%d (%s, size %s) takes over identity row %d (vendor Intel)",
          disk.drive_number, Shown(disk.media_type).text, Shown(disk.disk_size).text, e);
}

void ReconcileRemovableOrUnknown(DiskRecord& disk, IdentityRecord* rows, int count)
{
    for (int e = 0; e < count; ++e) {
        IdentityRecord& identity = rows[e];
        if (IsIntel(identity)) {
            TraceTakeOver(disk, e);
            TakeOverIdentity(disk, identity);
            continue;
        }
        UpperCaseField(disk.serial_number);
        UpperCaseField(identity.serial_number);
        UpperCaseField(disk.model);
        UpperCaseField(identity.product_id);
        if (FieldsEqualIgnoringCase(disk.serial_number, sizeof(disk.serial_number), identity.serial_number,
                                    sizeof(identity.serial_number)) &&
            FieldsEqualIgnoringCase(disk.model, sizeof(disk.model), identity.product_id, sizeof(identity.product_id)))
            disk.empty_flag = identity.empty_flag;
    }
}

void ReconcileFixed(DiskRecord& disk, IdentityRecord* rows, int count)
{
    if (std::strcmp(disk.disk_size, "0") == 0) {
        for (int e = 0; e < count; ++e) {
            if (IsIntel(rows[e])) {
                TraceTakeOver(disk, e);
                TakeOverIdentity(disk, rows[e]);
            }
        }
    }
    for (int e = 0; e < count; ++e) {
        IdentityRecord& identity = rows[e];
        UpperCaseField(disk.serial_number);
        UpperCaseField(identity.serial_number);
        if (FieldContains(disk.serial_number, sizeof(disk.serial_number), identity.serial_number,
                          sizeof(identity.serial_number)))
            disk.empty_flag = identity.empty_flag;
    }
}

}  // namespace

void UpperCaseField(char* text, size_t size)
{
    bounded_text::UpperCaseInPlace(text, size);
}

bool FieldsEqualIgnoringCase(const char* a, size_t aSize, const char* b, size_t bSize)
{
    return bounded_text::EqualIgnoringCase(FieldText(a, aSize), FieldText(b, bSize));
}

bool FieldContains(const char* haystack, size_t haystackSize, const char* needle, size_t needleSize)
{
    return FieldText(haystack, haystackSize).find(FieldText(needle, needleSize)) != std::string_view::npos;
}

void TakeOverIdentity(DiskRecord& disk, const IdentityRecord& identity)
{
    CopyBounded(disk.model, identity.product_id, sizeof(identity.product_id));
    CopyBounded(disk.firmware_revision, identity.product_revision, sizeof(identity.product_revision));
    CopyBounded(disk.serial_number, identity.serial_number, sizeof(identity.serial_number));
    CopyBounded(disk.disk_size, identity.disk_size, sizeof(identity.disk_size));
    disk.empty_flag = identity.empty_flag;
}

void ReconcileDisksWithIdentities(Inventory& tables)
{
    int disks = tables.diskCount < 0 ? 0 : (tables.diskCount > kDiskCapacity ? kDiskCapacity : tables.diskCount);
    int identities = tables.identityCount < 0 ? 0
                     : (tables.identityCount > kIdentityCapacity ? kIdentityCapacity : tables.identityCount);
    for (int d = 0; d < disks; ++d) {
        DiskRecord& disk = tables.disks[d];
        if (std::strcmp(disk.media_type, "Removable") == 0 || std::strcmp(disk.media_type, "Unknown") == 0)
            ReconcileRemovableOrUnknown(disk, tables.identities, identities);
        else if (std::strcmp(disk.media_type, "Fixed") == 0)
            ReconcileFixed(disk, tables.identities, identities);
    }
}
