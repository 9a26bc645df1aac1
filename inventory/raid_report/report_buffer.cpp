#include "inventory/raid_report/report_buffer.h"

#include <cstdlib>
#if defined(_WIN32)
#include <share.h>
#endif

char* reportBuffer = nullptr;
size_t reportBufferSize = 0;
std::string reportText;

namespace {

// The RAID tool writes the report through its redirected standard output. While any process
// holds the file open for writing, a deny-write open fails with a sharing violation, so a
// half-written report is never loaded; the caller's retries wait for the writer to close it.
std::FILE* OpenExcludingWriters(const char* path)
{
#if defined(_WIN32)
    return _fsopen(path, "rb", _SH_DENYWR);
#else
    return std::fopen(path, "rb");
#endif
}

}  // namespace

long FileLengthPlusOne(std::FILE* stream)
{
    const long position = std::ftell(stream);
    if (position < 0 || std::fseek(stream, 0, SEEK_END) != 0)
        return -1;
    const long length = std::ftell(stream);
    std::fseek(stream, position, SEEK_SET);
    if (length < 0 || length == 0x7fffffffL)
        return -1;
    return length + 1;
}

bool LoadWholeFile(const char* path)
{
    if (path == nullptr)
        return false;
    std::FILE* file = OpenExcludingWriters(path);
    if (file == nullptr)
        return false;
    const long n = FileLengthPlusOne(file);
    char* buffer = n > 0 ? static_cast<char*>(std::malloc(static_cast<size_t>(n))) : nullptr;
    if (buffer == nullptr) {
        std::fclose(file);
        return false;
    }
    // A file that shrank since its length was taken ends after what was read: no byte of the
    // text is left unset.
    const size_t read = std::fread(buffer, 1, static_cast<size_t>(n) - 1, file);
    std::fclose(file);
    buffer[read] = '\0';
    buffer[n - 1] = '\0';
    std::free(reportBuffer);
    reportBuffer = buffer;
    reportBufferSize = static_cast<size_t>(n);
    return true;
}

void TakeReportText()
{
    if (reportBuffer == nullptr)
        reportText.clear();
    else
        reportText.assign(reportBuffer);
}

void ReleaseReportBuffer()
{
    std::free(reportBuffer);
    reportBuffer = nullptr;
    reportBufferSize = 0;
}
