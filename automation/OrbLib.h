#pragma once
/* OrbLib.dll: single steps of the Intel RAID consoles' wizards, driven by synthetic input.
   Every export but the two COrbLib members is __cdecl under its undecorated name.
   Compilers: Visual C++ 2005 (8.0) or later, C or C++, and GCC or clang (MinGW-w64).
   bool results are one byte in AL, 1 true and 0 false: declare and call them as this header
   does, with a one-byte bool, never as BOOL or int (a 4-byte BOOL would read the three bytes
   above AL as well, which the contract leaves undefined). C++ has bool; C takes <stdbool.h>
   (C99, Visual C++ 2013 and later), and older Visual C++ C gets the one-byte type below, the
   same size and return convention as C++'s bool. */
#ifndef __cplusplus
#if defined(_MSC_VER) && _MSC_VER < 1800
typedef unsigned char bool;
#define true 1
#define false 0
#else
#include <stdbool.h>
#endif
typedef char OrbLibBoolIsOneByte[sizeof(bool) == 1 ? 1 : -1];
#endif

/* Data lives in OrbLib.dll and a caller reaches it through its import table: Microsoft's linker
   offers nOrbLib only as __imp__nOrbLib, so callers must see it declared dllimport (MinGW's
   linker would manage without, by auto-import). OrbLib's own sources define it: the build sets
   ORBLIB_BUILDING for them alone. */
#ifdef ORBLIB_BUILDING
#define ORBLIB_DATA extern
#else
#define ORBLIB_DATA extern __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Intel Rapid Storage Technology console (IAStorUI.exe).
   Create-volume run: ShellRunIntel95, then the focus-moving steps as the console page needs,
   ShellRunIntel95_HDD_Count_End, and last ShellRunIntel95_ConfirmVol or ShellRunIntel95_Down.
   Add-disk run: ShellRunIntel95_RAID, ShellRunIntel95_RAID_HDD_Count as often as needed,
   ShellRunIntel95_RAID_HDD_Count_End. The first step of a run hides the console's localized
   resources; ShellRunIntel95_Down and ShellRunIntel95_RAID_HDD_Count_End restore them (and a
   failing first step does), ShellRunIntel95_ConfirmVol leaves them hidden. */
bool __cdecl ShellRunIntel_IM95(void);            /* opens the console for the user; false: no Program Files folder */
bool __cdecl ShellRunIntel95(void);               /* true: console found and scripts sent */
bool __cdecl ShellRunIntel95_HDD_S(int count);    /* count x Tab, then Space; true */
bool __cdecl ShellRunIntel95_HDD_UP(int count);   /* count x Shift+Tab; false when count <= 0 (nothing sent) */
bool __cdecl ShellRunIntel95_HDD_DOWN(void);      /* Tab */
bool __cdecl ShellRunIntel95_HDD_DOWN_SPACE(void);/* Tab, Space */
bool __cdecl ShellRunIntel95_RAID_HDD_Count(void);/* the same function as ShellRunIntel95_HDD_DOWN_SPACE */
bool __cdecl ShellRunIntel95_HDD_Count_End(void); /* Enter */
bool __cdecl ShellRunIntel95_ConfirmVol(void);    /* false only when "Confirm Volume Creation" never appeared */
bool __cdecl ShellRunIntel95_Down(void);          /* false only when the console window was not found */
bool __cdecl ShellRunIntel95_RAID(void);          /* true when "ADD Disk" appeared */
int  __cdecl ShellRunIntel95_RAID_HDD_Count_End(void); /* 1 when its keys were sent, else 0 */

/* Intel Matrix Storage Manager console (Shell.exe).
   Create run: ShellRunIntelMSM, SetSourceHDD, SetMemberHDD, SetMemberDown.
   Modify run: ShellRunIntelMSM_R, ShellRunIntelMSM_R2, ShellRunIntelMSM_R3, SetSourceHDD_R,
   SetMemberHDD_R, SetMemberDown_R. The first step hides the language resources (ChangeDirName),
   the last step restores them. */
unsigned char __cdecl ShellRunIntel(void);        /* low byte of WinExec's result; 0: no Program Files folder */
bool __cdecl ShellRunIntelMSM(void);              /* true when the create wizard came up */
bool __cdecl SetSourceHDD(int count);             /* false when count <= 0 */
bool __cdecl SetMemberHDD(int count);             /* false when count <= 0 or the wizard is not found */
bool __cdecl SetMemberDown(void);                 /* true */
bool __cdecl ShellRunIntelMSM_R(void);            /* true when the console window was found at once */
bool __cdecl ShellRunIntelMSM_R2(void);           /* true; false when the console is gone (nothing clicked) */
bool __cdecl ShellRunIntelMSM_R3(void);           /* true when the modify wizard came up within ten tries */
bool __cdecl SetSourceHDD_R(int count);           /* false when count <= 0 or the wizard is gone (nothing clicked) */
bool __cdecl SetMemberHDD_R(int count);           /* false when count <= 0 */
bool __cdecl SetMemberDown_R(void);               /* true */

/* Intel Matrix Storage Manager: renames its 24 language entries "<code>" to "<code>_C" so that
   the console comes up in English. False only when the Program Files folder can't be resolved. */
bool __cdecl ChangeDirName(void);

/* Placeholders without a role in the automation (and COrbLib below). */
int __cdecl fnOrbLib(void);   /* returns 42 */
ORBLIB_DATA int nOrbLib;      /* always 0 */

#ifdef __cplusplus
}
#endif

/* COrbLib: a placeholder class of one byte with no data of its own. Its two members are exported
   under Microsoft's 32-bit decorated names with the thiscall convention, so the class is declared
   only for 32-bit callers of Microsoft's C++ ABI (Visual C++, clang for i686-pc-windows-msvc).
   GCC's C++ (MinGW) decorates names otherwise and could not link them, and a 64-bit OrbLib.dll
   (built for tests only) exports them under the same 32-bit names, which no x64 compiler asks
   for: both see no class. */
#if defined(__cplusplus) && defined(_MSC_VER) && defined(_M_IX86)
class COrbLib {
public:
    __declspec(dllimport) COrbLib(void);                           /* leaves the object unchanged */
    __declspec(dllimport) COrbLib& operator=(const COrbLib& other); /* copies its byte; *this */
};
#endif
