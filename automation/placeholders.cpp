// Exported placeholder symbols with no role in the automation. COrbLib is a one-byte class whose
// two members are exported under the names and the thiscall convention that a Microsoft-compiled
// caller links against (see OrbLib.def): the default constructor returns the object unchanged,
// the assignment operator copies its byte and returns the object.
#include "automation/OrbLib.h"

// nOrbLib is defined here, so the header must not declare it imported (see OrbLib.h).
#ifndef ORBLIB_BUILDING
#error "placeholders.cpp belongs to OrbLib.dll: build it with ORBLIB_BUILDING defined"
#endif

extern "C" {

int nOrbLib = 0;

int __cdecl fnOrbLib(void)
{
    return 42;
}

#if defined(__i386__)
#define ORB_THISCALL __attribute__((thiscall))
#else
#define ORB_THISCALL  // x64 has a single calling convention
#endif

ORB_THISCALL void* COrbLib_DefaultConstructor(void* self)
{
    return self;
}

ORB_THISCALL void* COrbLib_Assign(void* self, const void* other)
{
    *static_cast<unsigned char*>(self) = *static_cast<const unsigned char*>(other);
    return self;
}

}  // extern "C"
