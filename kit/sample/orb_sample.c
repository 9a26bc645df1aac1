/* orb_sample: a caller of orb2.dll and OrbLib.dll, linked with their import libraries.

     orb_sample                   checks the answers that need no scan and no console
     orb_sample scan              runs the inventory scan (query 0) and prints what it found
     orb_sample step NAME [COUNT] runs one wizard step of OrbLib (COUNT for the steps taking one,
                                  1 when left out); an Intel RAID console must be installed

   The exit code is 0 when every check holds (scan: when query 0 answered; step: when the
   step answered true or non-zero), otherwise non-zero, after a line naming what failed. */
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "orb2.h"
#include "OrbLib.h"

/* orb_sample_class.cpp: constructs and assigns COrbLib objects. 1 when the members answered as
   expected, 0 when not, -1 when OrbLib.h declares no class for this compiler. */
int __cdecl OrbSampleCheckClass(void);

/* KVFunc's answers go back to orb2.dll's KVFree, never to this program's own free(): its C
   runtime may be another one (every Visual C++ runtime since 2002 is). KVFree ignores a null
   pointer. */
static void release(char* answer)
{
    KVFree(answer);
}

/* Prints one answer of KVFunc under `label` and releases it; answers its number (atoi). */
static int show(const char* label, unsigned int query, int index, const char* text)
{
    char* answer = KVFunc(query, index, text);
    int number = answer != NULL ? atoi(answer) : 0;
    printf("  %-26s %s\n", label, answer != NULL ? answer : "(no answer: out of memory)");
    release(answer);
    return number;
}

static const char* failures[16];
static int failure_count;

/* Prints one check: its result, what it checks and what was answered (printf's format). */
static void check(int holds, const char* what, const char* format, ...)
{
    va_list answered;
    printf("%-7s %s: ", holds ? "ok" : "FAILED", what);
    va_start(answered, format);
    vprintf(format, answered);
    va_end(answered);
    printf("\n");
    if (!holds && failure_count < 16)
        failures[failure_count++] = what;
}

static void check_answer(unsigned int query, const char* expected, const char* what)
{
    char* answer = KVFunc(query, 0, NULL);
    check(answer != NULL && strcmp(answer, expected) == 0, what, "\"%s\"",
          answer != NULL ? answer : "(null)");
    release(answer);
}

/* OrbLib's wizard steps by name, in the order of OrbLib.h. */
typedef bool(__cdecl* Step)(void);
typedef bool(__cdecl* CountStep)(int count);
typedef int(__cdecl* IntStep)(void);
typedef unsigned char(__cdecl* ByteStep)(void);
struct WizardStep {
    const char* name;
    Step step;
    CountStep count_step;
    IntStep int_step;
    ByteStep byte_step;
};
#define STEP(f) { #f, f, NULL, NULL, NULL }
#define COUNT_STEP(f) { #f, NULL, f, NULL, NULL }
#define INT_STEP(f) { #f, NULL, NULL, f, NULL }
#define BYTE_STEP(f) { #f, NULL, NULL, NULL, f }

static const struct WizardStep steps[] = {
    STEP(ShellRunIntel_IM95),
    STEP(ShellRunIntel95),
    COUNT_STEP(ShellRunIntel95_HDD_S),
    COUNT_STEP(ShellRunIntel95_HDD_UP),
    STEP(ShellRunIntel95_HDD_DOWN),
    STEP(ShellRunIntel95_HDD_DOWN_SPACE),
    STEP(ShellRunIntel95_RAID_HDD_Count),
    STEP(ShellRunIntel95_HDD_Count_End),
    STEP(ShellRunIntel95_ConfirmVol),
    STEP(ShellRunIntel95_Down),
    STEP(ShellRunIntel95_RAID),
    INT_STEP(ShellRunIntel95_RAID_HDD_Count_End),
    BYTE_STEP(ShellRunIntel),
    STEP(ShellRunIntelMSM),
    COUNT_STEP(SetSourceHDD),
    COUNT_STEP(SetMemberHDD),
    STEP(SetMemberDown),
    STEP(ShellRunIntelMSM_R),
    STEP(ShellRunIntelMSM_R2),
    STEP(ShellRunIntelMSM_R3),
    COUNT_STEP(SetSourceHDD_R),
    COUNT_STEP(SetMemberHDD_R),
    STEP(SetMemberDown_R),
    STEP(ChangeDirName),
};
#define STEP_COUNT (sizeof(steps) / sizeof(steps[0]))

static int run_step(const char* name, int count)
{
    size_t i;
    int answer;
    for (i = 0; i < STEP_COUNT; ++i) {
        if (strcmp(steps[i].name, name) != 0)
            continue;
        if (steps[i].step != NULL) {
            answer = steps[i].step();
            printf("%s() answered %s\n", name, answer ? "true" : "false");
        } else if (steps[i].count_step != NULL) {
            answer = steps[i].count_step(count);
            printf("%s(%d) answered %s\n", name, count, answer ? "true" : "false");
        } else if (steps[i].int_step != NULL) {
            answer = steps[i].int_step();
            printf("%s() answered %d\n", name, answer);
        } else {
            answer = steps[i].byte_step();
            printf("%s() answered %d\n", name, answer);
        }
        return answer ? 0 : 1;
    }
    printf("FAILED: no step named %s; the steps are:\n", name);
    for (i = 0; i < STEP_COUNT; ++i)
        printf("  %s\n", steps[i].name);
    return 2;
}

static int scan(void)
{
    int disks, raid_disks, i;
    char letter[2] = "A";
    DWORD drives = GetLogicalDrives();
    char* answer = KVFunc(ORB2_RUN_SCAN, 0, NULL);
    if (answer == NULL) {
        printf("FAILED: KVFunc(0) gave no answer\n");
        return 1;
    }
    release(answer);
    printf("scan ended\n");

    disks = show("physical disks", ORB2_DISK_COUNT, 0, NULL);
    for (i = 0; i < disks && i < 50; ++i) {
        printf("disk %d\n", i);
        show("\\\\.\\PhysicalDrive number", ORB2_DISK_DRIVE_NUMBER, i, NULL);
        show("model", ORB2_DISK_MODEL, i, NULL);
        show("serial number", ORB2_DISK_SERIAL_NUMBER, i, NULL);
        show("firmware revision", ORB2_DISK_FIRMWARE_REVISION, i, NULL);
        show("media", ORB2_DISK_MEDIA_TYPE, i, NULL);
        show("size in bytes", ORB2_DISK_SIZE, i, NULL);
        show("status", ORB2_DISK_STATUS, i, NULL);
        show("row in the RAID report", ORB2_DISK_REPORT_ORDER, i, NULL);
        show("empty flag", ORB2_DISK_EMPTY_FLAG, i, NULL);
    }
    raid_disks = show("RAID disks", ORB2_RAID_DISK_COUNT, 0, NULL);
    for (i = 0; i < raid_disks && i < 6; ++i) {
        printf("RAID disk %d\n", i);
        show("entry index", ORB2_RAID_DISK_ENTRY_INDEX, i, NULL);
        show("serial number", ORB2_RAID_DISK_SERIAL_NUMBER, i, NULL);
        show("size text", ORB2_RAID_DISK_SIZE_TEXT, i, NULL);
        show("array member", ORB2_RAID_DISK_ARRAY_MEMBER, i, NULL);
        show("empty flag", ORB2_RAID_DISK_EMPTY_FLAG, i, NULL);
        show("bus id", ORB2_RAID_DISK_BUS_ID, i, NULL);
    }
    printf("RAID array\n");
    show("volume state", ORB2_RAID_VOLUME_STATE, 0, NULL);
    show("volume state (again)", ORB2_RAID_VOLUME_STATE_AGAIN, 0, NULL);
    show("array size", ORB2_ARRAY_TOTAL_MB, 0, NULL);
    show("migration", ORB2_MIGRATION, 0, NULL);
    show("query 16", ORB2_ALWAYS_NO, 0, NULL);
    show("query 24", ORB2_DISK_SPARE_TEXT, 0, NULL);
    printf("drive letters (-1: not on a physical disk)\n");
    for (letter[0] = 'A'; letter[0] <= 'Z'; ++letter[0]) {
        char label[] = "X:";
        if ((drives & (1u << (letter[0] - 'A'))) == 0)
            continue; /* a letter in no use answers another row's number */
        label[0] = letter[0];
        show(label, ORB2_LETTER_DISK_NUMBER, 0, letter);
    }
    return 0;
}

static int check_without_scan(void)
{
    int i, class_check;

    check_answer(ORB2_DISK_COUNT, "0", "query 1 before any scan answers \"0\"");
    check_answer(ORB2_RAID_DISK_COUNT, "0", "query 11 before any scan answers \"0\"");
    check_answer(ORB2_ALWAYS_NO, "no", "query 16 answers \"no\"");
    check_answer(ORB2_LAST_QUERY + 1, "", "a query beyond the list answers the empty text");

    check(fnOrbLib() == 42, "fnOrbLib() answers 42", "%d", fnOrbLib());
    check(nOrbLib == 0, "nOrbLib holds 0", "%d", nOrbLib);

    class_check = OrbSampleCheckClass();
    if (class_check < 0)
        printf("skipped COrbLib: OrbLib.h declares the class for 32-bit callers only\n");
    else
        check(class_check == 1, "COrbLib constructs and assigns", "operator= answered %s",
              class_check == 1 ? "the object assigned" : "another object");

    printf("%d wizard steps linked; run one with: orb_sample step NAME [COUNT]\n", (int)STEP_COUNT);

    if (failure_count == 0) {
        printf("every check holds\n");
        return 0;
    }
    printf("FAILED:");
    for (i = 0; i < failure_count; ++i)
        printf("%s %s", i == 0 ? "" : ";", failures[i]);
    printf("\n");
    return 1;
}

int main(int argc, char** argv)
{
    if (argc == 1)
        return check_without_scan();
    if (argc == 2 && strcmp(argv[1], "scan") == 0)
        return scan();
    if ((argc == 3 || argc == 4) && strcmp(argv[1], "step") == 0)
        return run_step(argv[2], argc == 4 ? atoi(argv[3]) : 1);
    printf("usage: orb_sample [scan | step NAME [COUNT]]\n");
    return 2;
}
