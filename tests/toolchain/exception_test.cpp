// Exceptions thrown and caught inside one module, in the test program and in a DLL built as the
// deliverables are. Without the unwind tables registered (GCC's crtbegin.o), a 32-bit throw ends
// the process at once, caught or not: the test then dies with no result.
#include <windows.h>

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace {

[[gnu::noinline]] int Throw(int value)
{
    throw std::out_of_range("value " + std::to_string(value));
}

}  // namespace

TEST(Exceptions, CaughtInThisProgram)
{
    EXPECT_THROW(Throw(1), std::out_of_range);
    try {
        Throw(2);
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "value 2");
    }
}

TEST(Exceptions, CaughtInsideADll)
{
    HMODULE probe = LoadLibraryA("unwind_probe.dll");
    ASSERT_NE(probe, nullptr) << "unwind_probe.dll not loaded, error " << GetLastError();
    auto caughtInside = reinterpret_cast<int(__cdecl*)()>(GetProcAddress(probe, "CaughtInside"));
    ASSERT_NE(caughtInside, nullptr);
    EXPECT_EQ(caughtInside(), 3);
    FreeLibrary(probe);
}
