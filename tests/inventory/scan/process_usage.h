#pragma once
// What this process holds, for tests that check that nothing is leaked: committed private memory
// and open kernel handles.
#include <windows.h>

#include <cstddef>

// Committed private memory: every committed region that is not an image or a mapped file,
// walked with VirtualQuery.
inline size_t PrivateBytes()
{
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char* at = nullptr;
    while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return total;
}

// Open handles. Wine answers GetProcessHandleCount with 0, so the handle values are tried one by
// one (kernel handles are multiples of 4; a process of these tests holds far fewer than 16,384).
inline unsigned long OpenHandleCount()
{
    DWORD counted = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted > 0)
        return counted;
    unsigned long count = 0;
    for (ULONG_PTR value = 4; value < 65536; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}
