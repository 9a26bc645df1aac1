#include "tray/registry_key_win32.h"

#include <cstring>

#include "tray/system_calls_win32.h"

RegistryKey::RegistryKey(HKEY root) : handle(root) {}

RegistryKey::~RegistryKey()
{
    Close();
}

bool RegistryKey::Open(HKEY parent, const char* subKey)
{
    strncpy(path, subKey != nullptr ? subKey : "", sizeof(path) - 1);
    path[sizeof(path) - 1] = '\0';
    valueType = 0;
    valueSize = 0;
    HKEY opened = nullptr;
    lastResult = TrayCalls.regOpenKeyEx(parent, subKey, 0, KEY_ALL_ACCESS, &opened);
    // A failed open leaves no key: later writes must not land in the parent.
    handle = lastResult == ERROR_SUCCESS ? opened : nullptr;
    return lastResult == ERROR_SUCCESS;
}

bool RegistryKey::Create(HKEY parent, const char* subKey)
{
    valueType = 0;
    valueSize = 0;
    HKEY created = nullptr;
    DWORD disposition = 0;
    lastResult = TrayCalls.regCreateKeyEx(parent, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                          &created, &disposition);
    handle = lastResult == ERROR_SUCCESS ? created : nullptr;
    return lastResult == ERROR_SUCCESS;
}

bool RegistryKey::SetString(const char* name, const char* text)
{
    if (text == nullptr)
        text = "";
    const DWORD size = static_cast<DWORD>(strlen(text) + 1);
    lastResult = TrayCalls.regSetValueEx(handle, name, 0, REG_SZ,
                                         reinterpret_cast<const BYTE*>(text), size);
    valueType = REG_SZ;
    valueSize = size;
    return lastResult == ERROR_SUCCESS;
}

void RegistryKey::Close()
{
    if (handle != nullptr)
        TrayCalls.regCloseKey(handle);
    handle = nullptr;
}
