#pragma once
// The read queries of KVFunc (1 to 24) over the library-wide inventory.
#include <cstddef>

#if !defined(_WIN32) && !defined(__cdecl)
#define __cdecl  // orb2.h's calling convention, which only Windows compilers know
#endif
#include "inventory/orb2.h"  // Orb2Query

struct Inventory;

constexpr size_t kAnswerSize = 512;

// Writes the answer of read query `type` into `answer` (kAnswerSize bytes, already the empty
// text). Query 0 and numbers above 24 leave it empty. A row index outside its table, and query 9
// without a text or without a free row to fall back on, answer the empty text and "-1".
void WriteQueryAnswer(const Inventory& tables, unsigned int type, int index, const char* text, char* answer);
