#pragma once
// The bool results of OrbLib's exports. The header promises one byte, 1 or 0, in AL; callers that
// read the result as a 4-byte BOOL (a common slip in Windows code) see the whole of EAX, so every
// bool export answers through ExportBool, which leaves the upper bytes clear as well.
// tests/binaries/check_bool_returns.py reads every bool export's returns in the shipped DLL.

inline bool ExportBool(bool result)
{
#if defined(__i386__) || defined(__x86_64__)
    // The result widened to the whole register first: what follows sets AL alone.
    unsigned whole = result;
    __asm__("" : "+a"(whole));
    return whole != 0;
#else
    return result;
#endif
}
