/* A caller built as the main application's team builds theirs: Microsoft's object format, linked
   by lld-link against the kit's .lib import libraries, with no C runtime. The process's exit code
   says what failed: 0 every answer right, 2 KVFunc's query 1, 3 fnOrbLib. */
#include "orb2.h"
#include "OrbLib.h"

int __cdecl KitCallerEntry(void)
{
    /* Query 1 before any scan: the number of physical disks, "0". */
    const char* disks = KVFunc(1, 0, 0);
    if (disks == 0 || disks[0] != '0' || disks[1] != '\0')
        return 2;
    if (fnOrbLib() != 42)
        return 3;
    return 0;
}
