// orb_sample_class.cpp: the C++ part of orb_sample. OrbLib.h declares COrbLib for 32-bit callers
// of Microsoft's C++ ABI; constructing and assigning objects calls the two members OrbLib.dll
// exports (thiscall, the object in ECX), found through OrbLib.lib.
#include "OrbLib.h"

extern "C" int __cdecl OrbSampleCheckClass(void)
{
#if defined(_MSC_VER) && defined(_M_IX86)
    COrbLib first;   // COrbLib::COrbLib()
    COrbLib second;
    COrbLib& assigned = (second = first);  // COrbLib::operator=, which answers the object assigned
    return &assigned == &second ? 1 : 0;
#else
    return -1;  // no class declared for this compiler (see OrbLib.h)
#endif
}
