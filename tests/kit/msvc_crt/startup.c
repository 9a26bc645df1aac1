/* Test-only start of a console program linked without Microsoft's C runtime, which this host
   lacks: what the runtime's mainCRTStartup does, as far as orb_sample needs it. msvcrt.dll's
   __getmainargs gives the arguments; its exit flushes stdout and ends with main's answer. */
typedef struct {
    int newmode;
} StartupInfo;

int __cdecl __getmainargs(int* argc, char*** argv, char*** envp, int expand_wildcards,
                          StartupInfo* info);
void __cdecl exit(int code);
int __cdecl main(int argc, char** argv);

void __cdecl mainCRTStartup(void)
{
    int argc = 0;
    char** argv = 0;
    char** envp = 0;
    StartupInfo info = {0};
    __getmainargs(&argc, &argv, &envp, 0, &info);
    exit(main(argc, argv));
}
