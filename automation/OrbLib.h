#pragma once
/* OrbLib.dll: single steps of the Intel RAID consoles' wizards, driven by synthetic input.
   Every export is __cdecl under its undecorated name; bool results are one byte (1 true, 0 false). */
#ifdef __cplusplus
extern "C" {
#endif

/* Placeholders without a role in the automation. */
int __cdecl fnOrbLib(void);   /* returns 42 */
extern int nOrbLib;           /* always 0 */

#ifdef __cplusplus
}
#endif
