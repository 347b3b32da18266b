/* runwait PROGRAM [ARGS...]
 *
 * Runs the rest of its own command line, untouched, waits for it and prints
 * the child's exit code in decimal.  Under Wine the Linux shell only sees the
 * low 8 bits of a Windows exit code (3010 shows as 194), which is useless for
 * telling msiexec's and the bootstrapper's results apart.
 * Exits 0 once the child ran; 2 if it could not be started. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <stdio.h>

/* Skip argv[0] the way the C runtime parses it, keeping the rest byte for byte. */
static wchar_t *after_program(wchar_t *p)
{
    if (*p == L'"') {
        for (p++; *p && *p != L'"'; p++)
            ;
        if (*p)
            p++;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            p++;
    }
    while (*p == L' ' || *p == L'\t')
        p++;
    return p;
}

int wmain(void)
{
    wchar_t *cmd = after_program(GetCommandLineW());
    if (!*cmd) {
        fputs("usage: runwait PROGRAM [ARGS...]\n", stderr);
        return 2;
    }
    STARTUPINFOW si = { .cb = sizeof si };
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(NULL, cmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
        fprintf(stderr, "runwait: CreateProcess failed: %lu\n", GetLastError());
        return 2;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    printf("%lu\n", code);
    return 0;
}
