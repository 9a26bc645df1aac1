// orb_restore: puts back what a wizard run that died half-way leaves on a PC, and does for a setup
// what the tray would do or must not be doing. Shipped in the kit's tools/; the installer runs it,
// and support may run it by hand:
//
//   orb_restore [/consoles] [/stop-tray] [/autostart] [/remove-autostart]
//     /consoles          every resource of Intel's consoles that a run hid gets its name back
//                        (the default): Rapid Storage Technology's culture folders and files,
//                        Matrix Storage Manager's language entries, as the wizard steps restore
//                        them
//     /stop-tray         every tray of this desktop is asked to end (tray/tray_stop_win32.h) and
//                        waited for, up to 10 s each
//     /autostart         the tray's autostart value written as the tray writes it at its start
//                        (its own code: key by Windows version, data, view; nothing, as the tray,
//                        where RunOnce is the key and does not exist)
//     /remove-autostart  the value "ORB_II" deleted under Run and RunOnce; the keys stay
//
// The actions run in the order /stop-tray, /consoles, /autostart, /remove-autostart: a setup
// stops the tray before it touches its files or its value. One line per action on standard output; the details of the
// consoles' go to the trace (trace_viewer.exe orb_restore.exe shows them). Exit 0 when every
// action was done, 1 when a tray still runs after its wait, 2 when the Program Files folder is
// unknown, 3 when a registry value could not be written or deleted, 64 for a usage error.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "automation/console/console_environment.h"
#include "common/windows_version_win32.h"
#include "tray/autostart.h"
#include "tray/tray_stop_win32.h"
#include "tray/tray_window_win32.h"

namespace {

constexpr DWORD kTrayWaitMs = 10000;

int StopTrays()
{
    const TrayStopCounts counts = StopRunningTrays(kTrayWaitMs);
    std::printf("tray: %d running, %d stopped\n", counts.found, counts.stopped);
    return counts.stopped == counts.found ? 0 : 1;
}

int RestoreConsoles()
{
    const bool rst = RestoreRstResources();
    const bool msm = RestoreDirName();
    std::printf("consoles: Rapid Storage Technology resources %s, Matrix Storage Manager languages %s\n",
                rst ? "restored" : "not restored (Program Files unknown)",
                msm ? "restored" : "not restored (Program Files unknown)");
    return rst && msm ? 0 : 2;
}

// The value under `key` below HKEY_LOCAL_MACHINE, empty when there is none.
bool ReadAutostart(const char* key, char (&data)[300])
{
    data[0] = 0;
    HKEY opened;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = sizeof(data) - 1;
    const bool read = RegQueryValueExA(opened, kAutostartValueName, nullptr, &type, reinterpret_cast<BYTE*>(data),
                                       &size) == ERROR_SUCCESS && type == REG_SZ;
    data[read ? size : 0] = 0;
    RegCloseKey(opened);
    return read;
}

int WriteAutostart()
{
    ClassifyWindowsVersion();
    RegisterAutostart();
    const AutostartKeyChoice key = ChooseAutostartKey(WindowsVersionCode);
    char data[300];
    if (!ReadAutostart(key.path, data)) {
        HKEY opened;
        const bool keyMissing = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.path, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS;
        if (!keyMissing)
            RegCloseKey(opened);
        // As the tray: no RunOnce, no value (Windows Vista and 7 have the key).
        std::printf("autostart: no value written under HKLM\\%s%s\n", key.path,
                    keyMissing && !key.createWhenMissing ? ", which does not exist" : "");
        return keyMissing && !key.createWhenMissing ? 0 : 3;
    }
    std::printf("autostart: HKLM\\%s \"%s\" = %s\n", key.path, kAutostartValueName, data);
    return 0;
}

int RemoveAutostart()
{
    int status = 0;
    for (const char* key : {kRunKeyPath, kRunOnceKeyPath}) {
        HKEY opened;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
            continue;
        const LONG result = RegDeleteValueA(opened, kAutostartValueName);
        RegCloseKey(opened);
        if (result == ERROR_SUCCESS)
            std::printf("autostart: removed from HKLM\\%s\n", key);
        else if (result != ERROR_FILE_NOT_FOUND)
            status = 3;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    bool consoles = argc == 1, stopTray = false, autostart = false, removeAutostart = false;
    for (int i = 1; i < argc; ++i) {
        if (_stricmp(argv[i], "/consoles") == 0) {
            consoles = true;
        } else if (_stricmp(argv[i], "/stop-tray") == 0) {
            stopTray = true;
        } else if (_stricmp(argv[i], "/autostart") == 0) {
            autostart = true;
        } else if (_stricmp(argv[i], "/remove-autostart") == 0) {
            removeAutostart = true;
        } else {
            std::fprintf(stderr, "usage: orb_restore [/consoles] [/stop-tray] [/autostart] [/remove-autostart]\n");
            return 64;
        }
    }
    // The first action that fails gives the exit code; the others still run.
    int status = 0;
    const auto run = [&status](bool wanted, int (*action)()) {
        const int result = wanted ? action() : 0;
        status = status != 0 ? status : result;
    };
    run(stopTray, StopTrays);
    run(consoles, RestoreConsoles);
    run(autostart, WriteAutostart);
    run(removeAutostart, RemoveAutostart);
    std::fflush(stdout);
    return status;
}
