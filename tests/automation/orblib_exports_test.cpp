// OrbLib.dll loaded as the main application loads it: by name, exports looked up by name.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

class OrbLibExports : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_ = LoadLibraryA("OrbLib.dll");
        ASSERT_NE(nullptr, library_) << "error " << GetLastError();
    }
    void TearDown() override
    {
        if (library_)
            FreeLibrary(library_);
    }
    FARPROC Export(const char* name) { return GetProcAddress(library_, name); }

    HMODULE library_ = nullptr;
};

TEST_F(OrbLibExports, PlaceholdersAnswerAsDocumented)
{
    auto fnOrbLib = reinterpret_cast<int(__cdecl*)()>(Export("fnOrbLib"));
    ASSERT_NE(nullptr, fnOrbLib);
    EXPECT_EQ(42, fnOrbLib());

    auto nOrbLib = reinterpret_cast<const int*>(Export("nOrbLib"));
    ASSERT_NE(nullptr, nOrbLib);
    EXPECT_EQ(0, *nOrbLib);
}

// A Microsoft-compiled caller calls the class members as thiscall on 32 bits (the object in ECX,
// the callee removes its stack arguments); x64 has one calling convention, the object first.
#if defined(__i386__)
#define ORB_MEMBER __attribute__((thiscall))
#else
#define ORB_MEMBER
#endif

TEST_F(OrbLibExports, COrbLibConstructsAndAssignsItsOneByte)
{
    auto construct = reinterpret_cast<void*(ORB_MEMBER*)(void*)>(Export("??0COrbLib@@QAE@XZ"));
    auto assign = reinterpret_cast<void*(ORB_MEMBER*)(void*, const void*)>(Export("??4COrbLib@@QAEAAV0@ABV0@@Z"));
    ASSERT_NE(nullptr, construct);
    ASSERT_NE(nullptr, assign);

    unsigned char objects[3] = {0x5A, 0xC3, 0x77};
    EXPECT_EQ(&objects[0], construct(&objects[0]));
    EXPECT_EQ(0x5A, objects[0]) << "the constructor leaves the object unchanged";

    EXPECT_EQ(&objects[0], assign(&objects[0], &objects[1]));
    EXPECT_EQ(0xC3, objects[0]);
    EXPECT_EQ(0x77, objects[2]) << "only one byte is copied";
}

}  // namespace
