// A DLL that throws and catches inside itself, through a frame of its own and the runtime's.
#include <stdexcept>

[[gnu::noinline]] static void Fail()
{
    throw std::runtime_error("thrown inside the DLL");
}

// 1 when the throw was caught: the DLL's unwinder knows its own frames.
extern "C" __declspec(dllexport) int __cdecl CaughtInside(void)
{
    try {
        Fail();
    } catch (const std::exception&) {
        return 1;
    }
    return 0;
}
