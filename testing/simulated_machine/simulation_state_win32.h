#pragma once
// What an attached Simulation keeps between the module's device calls: shared by the calls'
// replacements (injector_win32.cpp) and the Simulation's methods (simulation_win32.cpp).
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "testing/simulated_machine/faults.h"
#include "testing/simulated_machine/import_patch_win32.h"
#include "testing/simulated_machine/simulated_machine.h"

namespace simulated_machine {

using CreateFileAFn = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
using DeviceIoControlFn = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
using ReadFileFn = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
using SetFilePointerFn = DWORD(WINAPI*)(HANDLE, LONG, PLONG, DWORD);
using CloseHandleFn = BOOL(WINAPI*)(HANDLE);
using GetLogicalDrivesFn = DWORD(WINAPI*)();
using WinExecFn = UINT(WINAPI*)(LPCSTR, UINT);
using DeleteFileAFn = BOOL(WINAPI*)(LPCSTR);
using GetWindowsDirectoryAFn = UINT(WINAPI*)(LPSTR, UINT);

// A handle the simulation gave out (or, live, one of this machine's devices it watches).
struct SimHandle {
    std::string path;
    bool isDrive = false;
    int slot = -1;
    char letter = 0;
    int64_t position = 0;
    bool real = false;  // a device of this machine, opened for a live recording
};

struct State {
    Machine machine;
    CallLog log;
    std::map<HANDLE, SimHandle> handles;
    std::vector<ImportPatch> patches;
    std::string stateFile;
    // The module's imports as they were: every call the simulation does not answer goes there.
    CreateFileAFn createFile = CreateFileA;
    DeviceIoControlFn deviceIoControl = DeviceIoControl;
    ReadFileFn readFile = ReadFile;
    SetFilePointerFn setFilePointer = SetFilePointer;
    CloseHandleFn closeHandle = CloseHandle;
    GetLogicalDrivesFn getLogicalDrives = GetLogicalDrives;
    WinExecFn winExec = WinExec;
    DeleteFileAFn deleteFile = DeleteFileA;
    GetWindowsDirectoryAFn getWindowsDirectory = GetWindowsDirectoryA;
    std::string windowsFolder;  // answered to GetWindowsDirectoryA when not empty
    FaultQueue faults;
    bool toolInProcess = false;  // WinExec writes the tool's report itself
    bool live = false;       // device calls go to this machine's own devices
    bool recording = false;  // answers are collected into `recorded`
    Machine recorded;
};

// The attached simulation's state; null while none is attached (one per process).
extern State* g_state;

// Patches `module`'s device imports to their replacements, the originals kept in `state`.
bool PatchDeviceCalls(HMODULE module, State& state, std::string* error);

}  // namespace simulated_machine
