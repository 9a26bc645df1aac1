#pragma once
// Receiving the debug strings (OutputDebugStringA) that code emits, three ways:
//  - DebugStringCapture: in this process, from a vectored exception handler. OutputDebugStringA
//    raises DBG_PRINTEXCEPTION_C (0x40010006) with the text's length and address; the handler
//    copies the text and lets the exception go on, so that a debugger or a viewer still gets it.
//    Needs no debugger: orbinv --trace, the wizard demo and the tests use it.
//  - DebugOutputListener: the system-wide channel that debug-output viewers (DebugView and the
//    like) serve when no debugger is attached: the section "DBWIN_BUFFER" and the events
//    "DBWIN_BUFFER_READY" and "DBWIN_DATA_READY". A thread of this process plays the viewer.
//  - trace_viewer.exe (tools/trace_viewer): a debugger of another program.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace debug_output {

struct DebugLine {
    DWORD tick;        // GetTickCount when it was received
    DWORD processId;
    std::string text;  // without its line end
};

class DebugStringCapture {
public:
    DebugStringCapture() = default;
    ~DebugStringCapture() { Stop(); }
    DebugStringCapture(const DebugStringCapture&) = delete;
    DebugStringCapture& operator=(const DebugStringCapture&) = delete;

    // Starts receiving the debug strings of every thread of this process, each also written to
    // `echo` as it comes when given; false when the handler can't be installed or another
    // capture runs.
    bool Start(std::FILE* echo = nullptr);
    void Stop();
    // The lines received so far, and the same while clearing them.
    std::vector<DebugLine> Lines() const;
    std::vector<DebugLine> Take();
};

class DebugOutputListener {
public:
    DebugOutputListener() = default;
    ~DebugOutputListener();
    DebugOutputListener(const DebugOutputListener&) = delete;
    DebugOutputListener& operator=(const DebugOutputListener&) = delete;

    // Serves the channel from a thread of its own; false when another viewer already serves it
    // (or its objects can't be made). Every line is kept.
    bool Start();
    void Stop();
    std::vector<DebugLine> Take();
    std::size_t Count() const;

private:
    static DWORD WINAPI Serve(void* self);
    HANDLE section_ = nullptr, bufferReady_ = nullptr, dataReady_ = nullptr, thread_ = nullptr;
    const char* view_ = nullptr;
    volatile LONG stopping_ = 0;
    mutable CRITICAL_SECTION lock_;
    bool lockMade_ = false;
    std::vector<DebugLine> lines_;
};

// Text of a debug string as it arrives (bounded by `length` and its NUL), without its line end.
std::string DebugText(const char* text, std::size_t length);

}  // namespace debug_output
