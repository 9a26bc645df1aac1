#pragma once
/* orb2.dll: the drive inventory of this machine, answered one value at a time.

   char* KVFunc(unsigned int type, int index, const char* text)      (__cdecl, undecorated name)

   Every call answers a new 512-byte buffer holding a NUL-terminated text, allocated with
   msvcrt.dll's malloc. orb2 keeps no reference to it: the caller releases each answer with
   msvcrt.dll's free (GetProcAddress(GetModuleHandleA("msvcrt.dll"), "free")).

   Query 0 runs the inventory scan and answers the empty text; the other queries read one value
   of the tables the last scan filled. A query number above 24 answers the empty text. */
#ifdef __cplusplus
extern "C" {
#endif

char* __cdecl KVFunc(unsigned int type, int index, const char* text);

#ifdef __cplusplus
}
#endif
