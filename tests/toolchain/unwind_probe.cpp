// A DLL that throws and catches inside itself, through frames of its own and of the runtime.
#include <stdexcept>
#include <string>

namespace {

[[gnu::noinline]] void Fail(int depth)
{
    if (depth == 0)
        throw std::runtime_error("thrown " + std::to_string(depth));
    Fail(depth - 1);
}

}  // namespace

// How many of three throws were caught: 3 when the DLL's unwinder knows its frames.
extern "C" __declspec(dllexport) int __cdecl CaughtInside(void)
{
    int caught = 0;
    for (int depth = 0; depth < 3; ++depth) {
        try {
            Fail(depth);
        } catch (const std::exception&) {
            ++caught;
        }
    }
    return caught;
}
