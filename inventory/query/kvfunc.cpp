// The query export of orb2.
#include <cstdlib>
#include <cstring>

#include "inventory/orb2.h"


namespace {
constexpr size_t kAnswerSize = 512;
}

extern "C" char* __cdecl KVFunc(unsigned int type, int index, const char* text)
{
    char* answer = static_cast<char*>(std::malloc(kAnswerSize));
    if (answer == nullptr)
        return nullptr;
    answer[0] = '\0';
    return answer;
}
