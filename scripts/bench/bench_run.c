/* bench_run: starts one program as a deployment script would, checks its
 * exit code (the Linux side sees only the low 8 bits) and times it, for
 * scripts/bench.sh.
 *   bench_run [--dir DIR] [--expect CODE[,CODE...]] [--times FILE] -- COMMAND LINE...
 *       Starts the rest of its own command line, untouched, in DIR and
 *       appends "exit=CODE ms=WALL" to FILE (or prints it): WALL runs from
 *       CreateProcess to the child's end, the runner's own start left out.
 *       Exits 0, 1 for an exit code not in --expect, 2 for any other failure.
 *   bench_run --hold
 *       Waits until it is ended: while it runs, Wine keeps its desktop and
 *       services up, so every timed run meets the same Wine. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
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

static int expected(const wchar_t *codes, DWORD code)
{
    wchar_t *end;
    for (const wchar_t *p = codes; *p; p = *end == L',' ? end + 1 : end) {
        unsigned long value = wcstoul(p, &end, 10);
        if (end == p || value == code)
            return end != p;
    }
    return !*codes;
}

int wmain(void)
{
    static wchar_t dir[MAX_PATH * 2], codes[256], times[MAX_PATH * 2], option[64];
    wchar_t *p = next_argument(GetCommandLineW(), NULL, 0);
    for (;;) {
        wchar_t *after = next_argument(p, option, 64);
        if (!wcscmp(option, L"--dir"))
            p = next_argument(after, dir, MAX_PATH * 2);
        else if (!wcscmp(option, L"--expect"))
            p = next_argument(after, codes, 256);
        else if (!wcscmp(option, L"--times"))
            p = next_argument(after, times, MAX_PATH * 2);
        else if (!wcscmp(option, L"--hold")) {
            GetDesktopWindow(); /* a user of the desktop keeps Wine's desktop process */
            Sleep(INFINITE);
            return 0;
        } else {
            if (!wcscmp(option, L"--"))
                p = after;
            break;
        }
    }
    if (!*p) {
        fputs("usage: bench_run [--dir DIR] [--expect CODES] [--times FILE] -- COMMAND LINE... | --hold\n", stderr);
        return 2;
    }

    STARTUPINFOW si = { .cb = sizeof si };
    PROCESS_INFORMATION pi;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(NULL, p, NULL, NULL, FALSE, 0, NULL, *dir ? dir : NULL, &si, &pi)) {
        fprintf(stderr, "bench_run: CreateProcess failed: %lu\n", GetLastError());
        return 2;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    QueryPerformanceCounter(&end);
    DWORD code = 0;
    BOOL read = GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!read) {
        fprintf(stderr, "bench_run: no exit code: %lu\n", GetLastError());
        return 2;
    }

    double ms = (double)(end.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart;
    FILE *out = stdout;
    if (*times && !(out = _wfopen(times, L"a"))) {
        fprintf(stderr, "bench_run: cannot open %ls\n", times);
        return 2;
    }
    fprintf(out, "exit=%lu ms=%.1f\n", code, ms);
    if (out != stdout && fclose(out)) {
        fprintf(stderr, "bench_run: cannot write %ls\n", times);
        return 2;
    }
    if (!expected(codes, code)) {
        fprintf(stderr, "bench_run: exit code %lu, expected %ls\n", code, codes);
        return 1;
    }
    return 0;
}
