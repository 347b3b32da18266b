/* bench_run: starts one program the way a deployment script would and
 * measures it, for scripts/bench.sh.
 *
 *   bench_run [--dir DIR] [--expect CODE[,CODE...]] [--times FILE] [--memory]
 *             -- COMMAND LINE...
 *       Starts the rest of its own command line, untouched, in DIR, waits
 *       for it and appends one line to FILE (or prints it):
 *           exit=CODE ms=WALL peak_ws=BYTES
 *       WALL is the time from CreateProcess to the child's end, in
 *       milliseconds; BYTES is the child's peak working set, read with
 *       GetProcessMemoryInfo once it has ended (0 when unreadable).
 *       Wine forgets a process's counters as soon as it has ended (the read
 *       gives 0, or a figure when it wins the race), so with --memory the
 *       child runs with this program as its debugger and the counters are
 *       read when it calls for its exit (see peak_at_exit); the debugger
 *       slows the child down, so timed runs go without it. The child must
 *       have the runner's bitness (build/win32 or build/win64).
 *       Exits 0, or 1 when the child's exit code is not one of --expect,
 *       2 when it could not be started.
 *   bench_run --list PATTERN
 *       Prints the names FindFirstFileW/FindNextFileW return, in their order.
 *   bench_run --hold
 *       Waits until it is ended. While one Windows program runs, Wine keeps
 *       its own (the desktop, services) running, so every measured run meets
 *       the same warm Wine instead of starting them anew.
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

/* Moves p past one argument as the C runtime splits them (quotes kept out of
 * value when it is given); returns the start of the next one. */
static wchar_t *next_argument(wchar_t *p, wchar_t *value, size_t size)
{
    size_t n = 0;
    int quoted = 0;
    for (; *p && (quoted || (*p != L' ' && *p != L'\t')); p++) {
        if (*p == L'"') {
            quoted = !quoted;
            continue;
        }
        if (value && n + 1 < size)
            value[n++] = *p;
    }
    if (value)
        value[n] = 0;
    while (*p == L' ' || *p == L'\t')
        p++;
    return p;
}

static int list(const wchar_t *pattern)
{
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(pattern, &data);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    do {
        char name[MAX_PATH * 3];
        if (WideCharToMultiByte(CP_UTF8, 0, data.cFileName, -1, name, sizeof name, NULL, NULL) > 0)
            puts(name);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return 0;
}

/* Serves the debug events of the child until it ends; returns its peak
 * working set as read when it calls RtlExitUserProcess (where ExitProcess
 * and the return from main end up), its work done but the process whole.
 * ntdll lies at the same address in every process, so the breakpoint goes at
 * this process's address of the function, once the loader has stopped at
 * its own breakpoint. 0 when the breakpoint was never reached. */
static SIZE_T peak_at_exit(const PROCESS_INFORMATION *pi)
{
    BYTE *exit_call = (BYTE *)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlExitUserProcess");
    BYTE original = 0, breakpoint = 0xCC;
    int loader_breakpoint = 1, armed = 0;
    SIZE_T peak = 0, done;
    DEBUG_EVENT event;
    while (WaitForDebugEvent(&event, INFINITE)) {
        DWORD status = DBG_CONTINUE;
        const EXCEPTION_RECORD *exception = &event.u.Exception.ExceptionRecord;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile)
                CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile)
                CloseHandle(event.u.LoadDll.hFile);
            break;
        case EXCEPTION_DEBUG_EVENT:
            if (exception->ExceptionCode != EXCEPTION_BREAKPOINT) {
                status = DBG_EXCEPTION_NOT_HANDLED;
            } else if (loader_breakpoint) {
                loader_breakpoint = 0;
                armed = exit_call && ReadProcessMemory(pi->hProcess, exit_call, &original, 1, &done) &&
                        WriteProcessMemory(pi->hProcess, exit_call, &breakpoint, 1, &done);
                FlushInstructionCache(pi->hProcess, exit_call, 1);
            } else if (armed && (BYTE *)exception->ExceptionAddress == exit_call) {
                PROCESS_MEMORY_COUNTERS memory = { .cb = sizeof memory };
                if (GetProcessMemoryInfo(pi->hProcess, &memory, sizeof memory))
                    peak = memory.PeakWorkingSetSize;
                /* Put the instruction back and run it. */
                WriteProcessMemory(pi->hProcess, exit_call, &original, 1, &done);
                FlushInstructionCache(pi->hProcess, exit_call, 1);
                HANDLE thread = OpenThread(THREAD_GET_CONTEXT | THREAD_SET_CONTEXT, FALSE, event.dwThreadId);
                CONTEXT context = { .ContextFlags = CONTEXT_CONTROL };
                if (thread && GetThreadContext(thread, &context)) {
#ifdef _WIN64
                    context.Rip = (DWORD64)exit_call;
#else
                    context.Eip = (DWORD)exit_call;
#endif
                    SetThreadContext(thread, &context);
                }
                if (thread)
                    CloseHandle(thread);
                armed = 0;
            } else {
                status = DBG_EXCEPTION_NOT_HANDLED;
            }
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
            return peak;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    return peak;
}

static int expected(const wchar_t *codes, DWORD code)
{
    if (!*codes)
        return 1;
    for (const wchar_t *p = codes; *p;) {
        wchar_t *end;
        unsigned long value = wcstoul(p, &end, 10);
        if (end == p)
            return 0;
        if (value == code)
            return 1;
        p = *end == L',' ? end + 1 : end;
    }
    return 0;
}

int wmain(void)
{
    int debug = 0;
    static wchar_t dir[MAX_PATH * 2], codes[256], times[MAX_PATH * 2], option[64], pattern[MAX_PATH * 2];
    wchar_t *p = next_argument(GetCommandLineW(), NULL, 0);
    for (;;) {
        wchar_t *after = next_argument(p, option, 64);
        if (!wcscmp(option, L"--dir"))
            p = next_argument(after, dir, MAX_PATH * 2);
        else if (!wcscmp(option, L"--expect"))
            p = next_argument(after, codes, 256);
        else if (!wcscmp(option, L"--times"))
            p = next_argument(after, times, MAX_PATH * 2);
        else if (!wcscmp(option, L"--memory")) {
            debug = 1;
            p = after;
        } else if (!wcscmp(option, L"--hold")) {
            GetDesktopWindow(); /* a user of the desktop keeps Wine's desktop process */
            Sleep(INFINITE);
            return 0;
        } else if (!wcscmp(option, L"--list")) {
            next_argument(after, pattern, MAX_PATH * 2);
            return list(pattern);
        } else if (!wcscmp(option, L"--")) {
            p = after;
            break;
        } else
            break;
    }
    if (!*p) {
        fputs("usage: bench_run [--dir DIR] [--expect CODES] [--times FILE] [--memory] -- COMMAND LINE...\n"
              "       bench_run --list PATTERN | --hold\n", stderr);
        return 2;
    }

    STARTUPINFOW si = { .cb = sizeof si };
    PROCESS_INFORMATION pi;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(NULL, p, NULL, NULL, FALSE, debug ? DEBUG_ONLY_THIS_PROCESS : 0, NULL,
                        *dir ? dir : NULL, &si, &pi)) {
        fprintf(stderr, "bench_run: CreateProcess failed: %lu\n", GetLastError());
        return 2;
    }
    PROCESS_MEMORY_COUNTERS memory = { .cb = sizeof memory };
    SIZE_T peak = 0;
    BOOL wow64_self = FALSE, wow64_child = FALSE;
    if (debug && IsWow64Process(GetCurrentProcess(), &wow64_self) && IsWow64Process(pi.hProcess, &wow64_child) &&
        wow64_self != wow64_child) {
        /* The breakpoint goes at this process's own ntdll address, which
         * means nothing (or something else) in a child of the other bitness. */
        TerminateProcess(pi.hProcess, 1);
        fputs("bench_run: --memory needs a runner of the program's own bitness\n", stderr);
        return 2;
    }
    if (debug)
        peak = peak_at_exit(&pi);
    WaitForSingleObject(pi.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    if (!debug && GetProcessMemoryInfo(pi.hProcess, &memory, sizeof memory))
        peak = memory.PeakWorkingSetSize;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    double ms = (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart;
    FILE *out = stdout;
    if (*times && !(out = _wfopen(times, L"a"))) {
        fprintf(stderr, "bench_run: cannot open %ls\n", times);
        return 2;
    }
    fprintf(out, "exit=%lu ms=%.1f peak_ws=%llu\n", code, ms, (unsigned long long)peak);
    if (out != stdout)
        fclose(out);
    if (!expected(codes, code)) {
        fprintf(stderr, "bench_run: exit code %lu, expected %ls\n", code, codes);
        return 1;
    }
    return 0;
}
