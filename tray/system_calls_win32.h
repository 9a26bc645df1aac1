#pragma once
// The registry, shell and timing calls of OrbTray, reached through one table so that tests can
// record them in process. `TrayCalls` holds the real Windows functions at load.
#include <windows.h>
#include <shellapi.h>

struct TraySystemCalls {
    LONG(WINAPI* regOpenKeyEx)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
    LONG(WINAPI* regCreateKeyEx)(HKEY, LPCSTR, DWORD, LPSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                                 PHKEY, LPDWORD);
    LONG(WINAPI* regSetValueEx)(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD);
    LONG(WINAPI* regCloseKey)(HKEY);
    HRESULT(WINAPI* shGetFolderPath)(HWND, int, HANDLE, DWORD, LPSTR);
    HINSTANCE(WINAPI* shellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    BOOL(WINAPI* shellNotifyIcon)(DWORD, PNOTIFYICONDATAA);
    VOID(WINAPI* sleep)(DWORD);
    UINT_PTR(WINAPI* setTimer)(HWND, UINT_PTR, UINT, TIMERPROC);
    BOOL(WINAPI* trackPopupMenu)(HMENU, UINT, int, int, int, HWND, const RECT*);
};

extern TraySystemCalls TrayCalls;

// The table as it is at load: the real calls.
TraySystemCalls RealTraySystemCalls();
