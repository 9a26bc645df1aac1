// Wine's per-program Windows version, for tests that need the program to see another Windows.
#include "testing/standins/console_control/console_control_win32.h"

#include "testing/support/this_program_win32.h"

namespace orbtest {

bool SetWineVersionFor(const std::string& program, const std::string& version)
{
    std::string path = "Software\\Wine\\AppDefaults\\" + program;
    if (version.empty()) {
        LONG result = RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                             static_cast<DWORD>(version.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

std::string ThisProgramName()
{
    const std::string path = ThisProgramPath();
    return path.substr(path.find_last_of('\\') + 1);
}

}  // namespace orbtest
