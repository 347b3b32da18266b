/* Stand-in for a provider's Setup.exe in the sample distribution.
 *
 * Appends its raw command line (UTF-8, one line, LF) to %TMP%\setup-calls.log
 * so tests can see exactly what the bootstrapper passed, argv[0] included,
 * then exits with ORVEX_STUB_EXIT (decimal, default 0).  Tests that need the
 * two providers to behave differently set ORVEX_STUB_EXIT_CSP or
 * ORVEX_STUB_EXIT_UCSP: the suffix is the name of the directory holding this
 * copy of the stub, upper-cased, and it wins over the plain variable.
 * An unparsable value exits with ERROR_INVALID_PARAMETER (87) so a typo in a
 * test cannot pass for success. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <wchar.h>
#include <wctype.h>

static void log_command_line(void)
{
    /* TMP of any length: a test may hand a directory deeper than MAX_PATH. */
    static const wchar_t name[] = L"setup-calls.log";
    DWORD size = GetEnvironmentVariableW(L"TMP", NULL, 0);
    BOOL from_tmp = size > 1;
    if (!from_tmp)
        size = GetTempPathW(0, NULL);
    wchar_t *path = HeapAlloc(GetProcessHeap(), 0, (size + 1 + ARRAYSIZE(name)) * sizeof(wchar_t));
    if (!path)
        return;
    DWORD n = from_tmp ? GetEnvironmentVariableW(L"TMP", path, size) : GetTempPathW(size, path);
    if (!n || n >= size) {
        HeapFree(GetProcessHeap(), 0, path);
        return;
    }
    if (path[n - 1] != L'\\' && path[n - 1] != L'/')
        path[n++] = L'\\';
    wcscpy(path + n, name);

    const wchar_t *cmd = GetCommandLineW();
    int wlen = (int)wcslen(cmd);
    int len = WideCharToMultiByte(CP_UTF8, 0, cmd, wlen, NULL, 0, NULL, NULL);
    char *line = HeapAlloc(GetProcessHeap(), 0, (SIZE_T)len + 1);
    if (!line) {
        HeapFree(GetProcessHeap(), 0, path);
        return;
    }
    WideCharToMultiByte(CP_UTF8, 0, cmd, wlen, line, len, NULL, NULL);
    line[len] = '\n';

    /* FILE_APPEND_DATA alone makes every write land at the current end, so
     * two stubs started back to back cannot overwrite each other's line. */
    HANDLE h = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(h, line, (DWORD)len + 1, &written, NULL);
        CloseHandle(h);
    }
    HeapFree(GetProcessHeap(), 0, line);
    HeapFree(GetProcessHeap(), 0, path);
}

/* Returns FALSE if the variable is unset or empty. */
static BOOL read_code(const wchar_t *name, DWORD *code, BOOL *bad)
{
    wchar_t buf[32];
    DWORD n = GetEnvironmentVariableW(name, buf, 32);
    if (!n)
        return FALSE;
    if (n >= 32) {
        *bad = TRUE;
        return TRUE;
    }
    wchar_t *p = buf;
    unsigned long long v = 0;
    BOOL neg = (*p == L'-');
    if (neg)
        p++;
    if (!*p)
        *bad = TRUE;
    for (; *p; p++) {
        if (*p < L'0' || *p > L'9' || v > 0xFFFFFFFFull) {
            *bad = TRUE;
            break;
        }
        v = v * 10 + (unsigned)(*p - L'0');
    }
    if (v > 0xFFFFFFFFull)
        *bad = TRUE;
    /* Negative values let a test ask for e.g. -1 (0xFFFFFFFF) directly. */
    *code = neg ? (DWORD)(0u - (DWORD)v) : (DWORD)v;
    return TRUE;
}

/* Name of the directory holding this executable, upper-cased ("CSP"). */
static BOOL own_dir_name(wchar_t *out, size_t outlen)
{
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, exe, MAX_PATH);
    if (!n || n >= MAX_PATH)
        return FALSE;
    wchar_t *slash = wcsrchr(exe, L'\\');
    if (!slash)
        return FALSE;
    *slash = 0;
    wchar_t *start = wcsrchr(exe, L'\\');
    start = start ? start + 1 : exe;
    if (wcslen(start) >= outlen)
        return FALSE;
    for (size_t i = 0; (out[i] = (wchar_t)towupper(start[i])); i++)
        ;
    return TRUE;
}

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE prev, PWSTR args, int show)
{
    (void)inst; (void)prev; (void)args; (void)show;
    log_command_line();

    DWORD code = 0;
    BOOL bad = FALSE;
    wchar_t name[96] = L"ORVEX_STUB_EXIT_";
    size_t prefix = wcslen(name);
    if (!(own_dir_name(name + prefix, 96 - prefix) && read_code(name, &code, &bad)))
        read_code(L"ORVEX_STUB_EXIT", &code, &bad);
    return bad ? ERROR_INVALID_PARAMETER : (int)code;
}
