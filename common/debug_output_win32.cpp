#include "common/debug_output_win32.h"

#include <cstring>
#include <string_view>

#include "common/bounded_text.h"

namespace debug_output {

namespace {

constexpr std::size_t kLongestLine = 4096;  // what the viewers' buffer holds too
constexpr DWORD kSectionSize = 4096;        // process id, then the text

CRITICAL_SECTION captureLock;
bool captureLockMade = false;
PVOID captureHandler = nullptr;
std::vector<DebugLine>* captured = nullptr;
std::FILE* captureEcho = nullptr;

LONG CALLBACK CatchDebugString(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
    const std::size_t length = static_cast<std::size_t>(record->ExceptionInformation[0]);
    DebugLine line = {GetTickCount(), GetCurrentProcessId(), DebugText(text, length)};
    EnterCriticalSection(&captureLock);
    if (captureEcho != nullptr) {
        std::fprintf(captureEcho, "%s\n", line.text.c_str());
        std::fflush(captureEcho);
    }
    if (captured != nullptr)
        captured->push_back(std::move(line));
    LeaveCriticalSection(&captureLock);
    return EXCEPTION_CONTINUE_SEARCH;  // the debugger or a viewer still gets the string
}

}  // namespace

std::string DebugText(const char* text, std::size_t length)
{
    std::string_view line = bounded_text::CText(text, length < kLongestLine ? length : kLongestLine);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return std::string(line);
}

bool DebugStringCapture::Start(std::FILE* echo)
{
    if (!captureLockMade) {
        InitializeCriticalSection(&captureLock);
        captureLockMade = true;
    }
    EnterCriticalSection(&captureLock);
    const bool free = captured == nullptr;
    if (free) {
        captured = new std::vector<DebugLine>();
        captureEcho = echo;
    }
    LeaveCriticalSection(&captureLock);
    if (!free)
        return false;
    captureHandler = AddVectoredExceptionHandler(1, CatchDebugString);
    if (captureHandler == nullptr) {
        Stop();
        return false;
    }
    return true;
}

void DebugStringCapture::Stop()
{
    if (!captureLockMade)
        return;
    if (captureHandler != nullptr) {
        RemoveVectoredExceptionHandler(captureHandler);
        captureHandler = nullptr;
    }
    EnterCriticalSection(&captureLock);
    delete captured;
    captured = nullptr;
    captureEcho = nullptr;
    LeaveCriticalSection(&captureLock);
}

std::vector<DebugLine> DebugStringCapture::Lines() const
{
    std::vector<DebugLine> lines;
    if (!captureLockMade)
        return lines;
    EnterCriticalSection(&captureLock);
    if (captured != nullptr)
        lines = *captured;
    LeaveCriticalSection(&captureLock);
    return lines;
}

std::vector<DebugLine> DebugStringCapture::Take()
{
    std::vector<DebugLine> lines;
    if (!captureLockMade)
        return lines;
    EnterCriticalSection(&captureLock);
    if (captured != nullptr)
        lines.swap(*captured);
    LeaveCriticalSection(&captureLock);
    return lines;
}

DebugOutputListener::~DebugOutputListener()
{
    Stop();
    if (lockMade_)
        DeleteCriticalSection(&lock_);
}

bool DebugOutputListener::Start()
{
    if (thread_ != nullptr)
        return false;
    if (!lockMade_) {
        InitializeCriticalSection(&lock_);
        lockMade_ = true;
    }
    section_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSectionSize, "DBWIN_BUFFER");
    const bool otherViewer = GetLastError() == ERROR_ALREADY_EXISTS;
    bufferReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY");
    dataReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
    view_ = section_ ? static_cast<const char*>(MapViewOfFile(section_, FILE_MAP_READ, 0, 0, kSectionSize)) : nullptr;
    if (otherViewer || view_ == nullptr || bufferReady_ == nullptr || dataReady_ == nullptr) {
        Stop();
        return false;
    }
    stopping_ = 0;
    thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
    if (thread_ == nullptr) {
        Stop();
        return false;
    }
    return true;
}

DWORD WINAPI DebugOutputListener::Serve(void* self)
{
    auto* listener = static_cast<DebugOutputListener*>(self);
    SetEvent(listener->bufferReady_);
    while (InterlockedCompareExchange(&listener->stopping_, 0, 0) == 0) {
        if (WaitForSingleObject(listener->dataReady_, 50) != WAIT_OBJECT_0)
            continue;
        DWORD processId = 0;
        std::memcpy(&processId, listener->view_, sizeof(processId));
        DebugLine line = {GetTickCount(), processId,
                          DebugText(listener->view_ + sizeof(DWORD), kSectionSize - sizeof(DWORD))};
        EnterCriticalSection(&listener->lock_);
        listener->lines_.push_back(std::move(line));
        LeaveCriticalSection(&listener->lock_);
        SetEvent(listener->bufferReady_);
    }
    return 0;
}

void DebugOutputListener::Stop()
{
    if (thread_ != nullptr) {
        InterlockedExchange(&stopping_, 1);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (view_ != nullptr)
        UnmapViewOfFile(view_);
    view_ = nullptr;
    for (HANDLE* handle : {&section_, &bufferReady_, &dataReady_}) {
        if (*handle != nullptr)
            CloseHandle(*handle);
        *handle = nullptr;
    }
}

std::vector<DebugLine> DebugOutputListener::Take()
{
    std::vector<DebugLine> lines;
    if (!lockMade_)
        return lines;
    EnterCriticalSection(&lock_);
    lines.swap(lines_);
    LeaveCriticalSection(&lock_);
    return lines;
}

std::size_t DebugOutputListener::Count() const
{
    if (!lockMade_)
        return 0;
    EnterCriticalSection(&lock_);
    const std::size_t count = lines_.size();
    LeaveCriticalSection(&lock_);
    return count;
}

}  // namespace debug_output
