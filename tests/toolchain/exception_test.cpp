// Exceptions thrown and caught inside one module, in the test program and in a DLL built as the
// deliverables are. Without the unwind tables registered (GCC's crtbegin.o), a 32-bit throw ends
// the process at once, caught or not: the test then dies with no result.
#include <windows.h>

#include <stdexcept>

#include <gtest/gtest.h>

[[gnu::noinline]] static void Throw()
{
    throw std::out_of_range("thrown in the program");
}

TEST(Exceptions, CaughtInThisProgramAndInsideADll)
{
    EXPECT_THROW(Throw(), std::out_of_range);
    HMODULE probe = LoadLibraryA("unwind_probe.dll");
    ASSERT_NE(probe, nullptr) << "unwind_probe.dll not loaded, error " << GetLastError();
    auto caughtInside = reinterpret_cast<int(__cdecl*)()>(GetProcAddress(probe, "CaughtInside"));
    ASSERT_NE(caughtInside, nullptr);
    EXPECT_EQ(caughtInside(), 1);
    FreeLibrary(probe);
}
