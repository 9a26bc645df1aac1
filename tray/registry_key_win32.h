#pragma once
// RegistryKey: the owning wrapper of one registry key handle that OrbTray writes its autostart
// value through. Every operation but Close stores the system's return code in `lastResult` and
// succeeds exactly when it is ERROR_SUCCESS.
#include <windows.h>

class RegistryKey {
public:
    explicit RegistryKey(HKEY root);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool Open(HKEY parent, const char* subKey);    // RegOpenKeyExA, KEY_ALL_ACCESS
    bool Create(HKEY parent, const char* subKey);  // RegCreateKeyExA, KEY_ALL_ACCESS
    bool SetString(const char* name, const char* text);  // REG_SZ, terminator included
    void Close();                                  // RegCloseKey when a handle is held

    LONG lastResult = ERROR_SUCCESS;
    DWORD valueType = 0;  // REG_SZ after SetString, 0 after Open or Create
    DWORD valueSize = 0;  // bytes of the last value written, terminator included
    HKEY handle;          // the root key until a key is opened or created; null after Close
    char path[256] = {};  // the sub-key given to the last Open
};
