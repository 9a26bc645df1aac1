#pragma once
// The loaded RAID report: the report buffer (the last successful load of Graid.txt) and
// `reportText`, the scan's copy of it.
#include <cstddef>
#include <cstdio>
#include <string>

// Text of the last successful load, NUL-terminated, and its size in bytes with the NUL; null
// and 0 before the first load. Each successful load releases the buffer it replaces.
extern char* reportBuffer;
extern size_t reportBufferSize;

// The report the scan and the parser search; empty when no buffer exists.
extern std::string reportText;

// Opens `path` for binary reading, refusing while another process still has it open for
// writing, and loads it whole into a new report buffer. False (the earlier buffer stays) when
// the file can't be opened or read or the buffer can't be allocated.
bool LoadWholeFile(const char* path);

// Length of an open file in bytes plus one, or -1 when it can't be told; the position stays.
long FileLengthPlusOne(std::FILE* stream);

// reportText = the report buffer's text up to its first NUL, or empty without a buffer.
void TakeReportText();

// Releases the report buffer (tests and unloading only).
void ReleaseReportBuffer();
