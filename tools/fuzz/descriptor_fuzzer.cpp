// A storage device descriptor as the driver answers it: random bytes, random string offsets,
// any answer length, decoded with and without pair swapping.
#include <cstdint>
#include <cstring>
#include <vector>

#include "inventory/probes/descriptor.h"
#include "inventory/query/tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    int32_t offset;
    std::memcpy(&offset, data, 4);
    const bool swap = data[4] & 1;
    // An exact-size copy, so that the sanitizer sees any read past the returned bytes.
    std::vector<uint8_t> answer(data + 5, data + size);

    char out[1000];
    std::memset(out, 'x', sizeof out);
    DecodeDescriptorString(answer.data(), answer.size(), offset, swap, out);
    if (!std::memchr(out, 0, sizeof out))
        __builtin_trap();

    IdentityRecord row;
    std::memset(&row, 'x', sizeof row);
    StoreDescriptorStrings(answer.data(), answer.size(), row);
    if (!std::memchr(row.vendor_id, 0, sizeof row.vendor_id) ||
        !std::memchr(row.product_id, 0, sizeof row.product_id) ||
        !std::memchr(row.product_revision, 0, sizeof row.product_revision) ||
        !std::memchr(row.serial_number, 0, sizeof row.serial_number))
        __builtin_trap();

    int64_t diskSize;
    GeometryDiskSize(answer.data(), answer.size(), &diskSize);
    return 0;
}
