// OrbTray.exe's resources as Windows loads them: the menu, the icon, the manifest, the version.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "testing/support/this_program_win32.h"

namespace {

// The resources of the shipped program, read from OrbTray.exe beside this test.
class OrbTrayResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string path = ThisProgramFolder() + "OrbTray.exe";
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, module) << path;
    }
    void TearDown() override
    {
        if (module != nullptr)
            FreeLibrary(module);
    }
    std::string Resource(LPCSTR type, LPCSTR name)
    {
        HRSRC found = FindResourceA(module, name, type);
        if (found == nullptr)
            return {};
        HGLOBAL loaded = LoadResource(module, found);
        const char* bytes = static_cast<const char*>(LockResource(loaded));
        return std::string(bytes, SizeofResource(module, found));
    }
    HMODULE module = nullptr;
};

TEST_F(OrbTrayResources, MenuIconManifestAndVersion)
{
    HMENU menu = LoadMenuA(module, MAKEINTRESOURCEA(129));
    ASSERT_NE(nullptr, menu);
    char text[64] = {};
    EXPECT_EQ(1, GetMenuItemCount(menu));
    GetMenuStringA(menu, 0, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ("LMenu", text);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(nullptr, popup);
    const struct {
        UINT id;
        const char* text;
    } items[] = {{32772, "Show ORB"}, {32773, "Live Update"}, {32771, "Exit"}};
    ASSERT_EQ(3, GetMenuItemCount(popup));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i].id, GetMenuItemID(popup, i));
        GetMenuStringA(popup, i, text, sizeof(text), MF_BYPOSITION);
        EXPECT_STREQ(items[i].text, text);
    }
    DestroyMenu(menu);

    // Icon group 128: one 32 by 32 image (GRPICONDIR: 6-byte header, 14-byte entries).
    const std::string group = Resource(MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(128));
    ASSERT_GE(group.size(), 20u);
    EXPECT_EQ(1, group[4]);
    EXPECT_EQ(32, static_cast<unsigned char>(group[6]));
    EXPECT_EQ(32, static_cast<unsigned char>(group[7]));

    const std::string manifest = Resource(MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    EXPECT_NE(std::string::npos, manifest.find("level=\"requireAdministrator\"")) << manifest;
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\"")) << manifest;

    // VS_VERSIONINFO: the fixed part starts with the signature 0xFEEF04BD at byte 40.
    const std::string version = Resource(MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1));
    ASSERT_GE(version.size(), 44u);
    EXPECT_EQ(0xFEEF04BDu, *reinterpret_cast<const DWORD*>(version.data() + 40));
}

}  // namespace
