#pragma once
// Bounded composition of the paths and command lines OrbTray hands to the registry and the shell.
#include <cstddef>

// Writes the concatenation of `parts` into `out` (`outSize` bytes, terminator included). When
// the whole text does not fit, `out` becomes the empty text and the result is false: a cut
// path would name another program.
bool ComposeText(char* out, size_t outSize, const char* const* parts, size_t partCount);
