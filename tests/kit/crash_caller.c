/* crash_caller ORB2_DLL DUMP: a caller of orb2.dll that crashes inside it and writes a minidump of
   the crash, as a customer's main application would with a crash handler: a scan (so that drive
   letters fill the letter table), then query 9 with a text in an unreadable page (outside its
   contract), the dump written by the unhandled-exception filter with dbghelp.dll's
   MiniDumpWriteDump. Exit 3 when the dump was written, 4 when not, 1 when
   nothing crashed, 2 for a usage or loading error. */
#include <windows.h>
#include <dbghelp.h>
#include <stdio.h>

typedef char*(__cdecl* KVFuncType)(unsigned int, int, const char*);
typedef BOOL(WINAPI* WriteDumpType)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                    PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);
static const char* dump_path;

static LONG WINAPI write_dump(EXCEPTION_POINTERS* exception)
{
    HMODULE dbghelp = LoadLibraryA("dbghelp.dll");
    WriteDumpType write = dbghelp ? (WriteDumpType)GetProcAddress(dbghelp, "MiniDumpWriteDump") : NULL;
    HANDLE file = CreateFileA(dump_path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    MINIDUMP_EXCEPTION_INFORMATION information = {GetCurrentThreadId(), exception, FALSE};
    BOOL written = write != NULL && file != INVALID_HANDLE_VALUE &&
                   write(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &information, NULL, NULL);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    ExitProcess(written ? 3 : 4);
    return EXCEPTION_CONTINUE_SEARCH;
}

int main(int argc, char** argv)
{
    HMODULE orb2;
    KVFuncType kvFunc;
    char* unreadable;
    if (argc != 3) {
        fprintf(stderr, "usage: crash_caller ORB2_DLL DUMP\n");
        return 2;
    }
    dump_path = argv[2];
    orb2 = LoadLibraryA(argv[1]);
    kvFunc = orb2 ? (KVFuncType)GetProcAddress(orb2, "KVFunc") : NULL;
    unreadable = (char*)VirtualAlloc(NULL, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    if (kvFunc == NULL || unreadable == NULL) {
        fprintf(stderr, "crash_caller: %s not loaded (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    SetUnhandledExceptionFilter(write_dump);
    kvFunc(0, 0, NULL);  /* the scan's answer is left: the process ends here either way */
    kvFunc(9, 0, unreadable);
    return 1;
}
