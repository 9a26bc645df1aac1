#pragma once
// Test helper: a culture folder in use. The folder itself and, when named, one of its resource
// files are opened without delete sharing. (Wine renames a folder whose files are open, where
// Windows refuses; a handle on the folder makes Wine refuse too.)
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

class HeldCulture {
public:
    // `folder` is the culture folder's path; `file` one of its files, or null for none.
    HeldCulture(const std::string& folder, const char* file)
    {
        folder_ = CreateFileA(folder.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, folder_) << folder;
        if (file != nullptr) {
            file_ = CreateFileA((folder + "\\" + file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
            EXPECT_NE(INVALID_HANDLE_VALUE, file_) << folder << "\\" << file;
        }
    }
    ~HeldCulture()
    {
        for (HANDLE handle : {folder_, file_})
            if (handle != INVALID_HANDLE_VALUE)
                CloseHandle(handle);
    }
    HeldCulture(const HeldCulture&) = delete;
    HeldCulture& operator=(const HeldCulture&) = delete;

private:
    HANDLE folder_ = INVALID_HANDLE_VALUE;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};
