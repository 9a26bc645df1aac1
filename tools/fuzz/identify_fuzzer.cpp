// ATA IDENTIFY DEVICE data as a drive answers it: any 256 words.
#include <cstdint>
#include <cstring>

#include "inventory/probes/identify.h"
#include "inventory/query/tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint8_t block[kSmartBlockSize] = {};
    std::memcpy(block + kSmartDataOffset, data, size < 512 ? size : 512);
    uint32_t words[kIdentifyWordCount];
    WidenIdentifyWords(block, words);

    inventory.diskCount = size > 512 ? data[512] % (kDiskCapacity + 1) : 0;
    StoreIdentifyData(7, words);
    if (inventory.diskCount > kDiskCapacity)
        __builtin_trap();
    const DiskRecord& d = inventory.disks[inventory.diskCount > 0 ? inventory.diskCount - 1 : 0];
    if (!std::memchr(d.serial_number, 0, sizeof d.serial_number) ||
        !std::memchr(d.model, 0, sizeof d.model) ||
        !std::memchr(d.firmware_revision, 0, sizeof d.firmware_revision) ||
        !std::memchr(d.disk_size, 0, sizeof d.disk_size))
        __builtin_trap();

    // Any word range, including reversed and out-of-table ones.
    if (size >= 2) {
        char out[2 * kIdentifyWordCount + 1];
        IdentifyWordsToString(words, data[0], data[1], out);
    }
    return 0;
}
