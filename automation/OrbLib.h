#pragma once
/* OrbLib.dll: single steps of the Intel RAID consoles' wizards, driven by synthetic input.
   Every export is __cdecl under its undecorated name; bool results are one byte (1 true, 0 false). */
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Intel Matrix Storage Manager: renames its 24 language entries "<code>" to "<code>_C" so that
   the console comes up in English. False only when the Program Files folder can't be resolved. */
bool __cdecl ChangeDirName(void);

/* Placeholders without a role in the automation. */
int __cdecl fnOrbLib(void);   /* returns 42 */
extern int nOrbLib;           /* always 0 */

#ifdef __cplusplus
}
#endif
