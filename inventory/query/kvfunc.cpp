// The query export of orb2, and the release of its answers.
#include <cstdlib>

#include "inventory/orb2.h"
#include "inventory/query/queries.h"
#include "inventory/query/tables.h"
#include "inventory/scan/scan.h"

extern "C" char* __cdecl KVFunc(unsigned int type, int index, const char* text)
{
    // msvcrt's malloc: the caller releases the answer with KVFree (or msvcrt's free).
    char* answer = static_cast<char*>(std::malloc(kAnswerSize));
    if (answer == nullptr)
        return nullptr;  // nothing to write into; the caller gets no text
    answer[0] = '\0';
    if (type > ORB2_LAST_QUERY)
        return answer;
    if (type == ORB2_RUN_SCAN) {
        RunInventoryScan();
        return answer;
    }
    WriteQueryAnswer(inventory, type, index, text, answer);
    return answer;
}

extern "C" void __cdecl KVFree(char* answer)
{
    // The same runtime's free as KVFunc's malloc, whichever runtime the caller was built with.
    std::free(answer);
}
