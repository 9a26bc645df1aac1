#pragma once
// orb2.dll loaded as the main application loads it, questioned through KVFunc only, with its
// device calls answered by a simulated machine.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "inventory/orb2.h"
#include "testing/simulated_machine/simulated_machine.h"
#include "testing/support/wait_for.h"

// A file of the RAID tool's run: the Windows folder + "\\" + name.
inline std::string WindowsFile(const char* name)
{
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, sizeof folder);
    return std::string(folder) + "\\" + name;
}

// No process holds the tool's report (Graid.txt) any more, or it is gone.
inline bool ReportFileReleased()
{
    HANDLE h = CreateFileA(WindowsFile("Graid.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() != ERROR_SHARING_VIOLATION;
    CloseHandle(h);
    return true;
}

// None of the three files of the tool's run (Raidcfg32.exe, G.bat, Graid.txt) is there.
inline bool ToolFilesGone()
{
    for (const char* name : {"Raidcfg32.exe", "G.bat", "Graid.txt"}) {
        if (GetFileAttributesA(WindowsFile(name).c_str()) != INVALID_FILE_ATTRIBUTES)
            return false;
    }
    return true;
}

class Orb2Fixture : public ::testing::Test {
protected:
    using KVFuncType = char*(__cdecl*)(unsigned int, int, const char*);
    using KVFreeType = void(__cdecl*)(char*);

    void SetUp() override
    {
        library_ = LoadLibraryA("orb2.dll");
        ASSERT_NE(nullptr, library_) << "error " << GetLastError();
        kvFunc_ = reinterpret_cast<KVFuncType>(GetProcAddress(library_, "KVFunc"));
        ASSERT_NE(nullptr, kvFunc_);
        kvFree_ = reinterpret_cast<KVFreeType>(GetProcAddress(library_, "KVFree"));
        ASSERT_NE(nullptr, kvFree_);
    }
    void TearDown() override
    {
        simulation_.Detach();
        if (library_)
            FreeLibrary(library_);
    }
    void AttachMachine(const simulated_machine::Machine& machine)
    {
        std::string error;
        ASSERT_TRUE(simulation_.Attach(library_, machine, &error)) << error;
    }
    std::string Ask(unsigned int type, int index = 0, const char* text = nullptr)
    {
        char* answer = kvFunc_(type, index, text);
        EXPECT_NE(nullptr, answer);
        std::string value = answer ? answer : "";
        kvFree_(answer);
        return value;
    }

    // Every answer that the tables of a small machine give: the counts and summary values, disk
    // rows 0-3, all six RAID disk rows and query 9 for the letters A to F.
    std::vector<std::string> Answers()
    {
        std::vector<std::string> answers;
        auto add = [&](unsigned int type, int index, const char* text) {
            answers.push_back(std::to_string(type) + "/" + (text ? text : std::to_string(index)) + "=" +
                              Ask(type, index, text));
        };
        for (unsigned int type : {ORB2_DISK_COUNT, ORB2_RAID_DISK_COUNT, ORB2_ALWAYS_NO, ORB2_RAID_VOLUME_STATE,
                                  ORB2_RAID_VOLUME_STATE_AGAIN, ORB2_ARRAY_TOTAL_MB, ORB2_MIGRATION,
                                  ORB2_DISK_SPARE_TEXT})
            add(type, 0, nullptr);
        for (unsigned int type : {ORB2_DISK_DRIVE_NUMBER, ORB2_DISK_MODEL, ORB2_DISK_SERIAL_NUMBER,
                                  ORB2_DISK_FIRMWARE_REVISION, ORB2_DISK_MEDIA_TYPE, ORB2_DISK_SIZE, ORB2_DISK_STATUS,
                                  ORB2_DISK_REPORT_ORDER, ORB2_DISK_EMPTY_FLAG}) {
            for (int row = 0; row < 4; ++row)
                add(type, row, nullptr);
        }
        for (unsigned int type : {ORB2_RAID_DISK_ENTRY_INDEX, ORB2_RAID_DISK_SERIAL_NUMBER, ORB2_RAID_DISK_SIZE_TEXT,
                                  ORB2_RAID_DISK_ARRAY_MEMBER, ORB2_RAID_DISK_EMPTY_FLAG, ORB2_RAID_DISK_BUS_ID}) {
            for (int row = 0; row < 6; ++row)
                add(type, row, nullptr);
        }
        for (const char* letter : {"A", "B", "C", "D", "E", "F"})
            add(ORB2_LETTER_DISK_NUMBER, 0, letter);
        return answers;
    }

    HMODULE library_ = nullptr;
    KVFuncType kvFunc_ = nullptr;
    KVFreeType kvFree_ = nullptr;
    simulated_machine::Simulation simulation_;
};
