/* bench_floor: only the calls the bootstrapper's job cannot do without, the
 * floor that scripts/bench.sh holds it against.
 *   bench_floor decide PRODUCT PACKAGE
 *       Loads msi.dll from the system directory, queries the product's state,
 *       opens PACKAGE and reads both versions. Exits 0 or the installer error.
 *   bench_floor install PRODUCT PACKAGE LOG UI
 *       Loads msi.dll, queries the product's state and runs the bootstrapper's
 *       msiexec command line for a first installation (UI: /qn or /qb).
 *       Exits with msiexec's code. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

typedef int(WINAPI *QueryProductStateFn)(LPCWSTR);
typedef UINT(WINAPI *GetProductInfoFn)(LPCWSTR, LPCWSTR, LPWSTR, LPDWORD);
typedef UINT(WINAPI *OpenPackageExFn)(LPCWSTR, DWORD, DWORD *);
typedef UINT(WINAPI *GetPropertyFn)(DWORD, LPCWSTR, LPWSTR, LPDWORD);
typedef UINT(WINAPI *CloseHandleFn)(DWORD);

static HMODULE load_msi(wchar_t *system_dir)
{
    wchar_t path[MAX_PATH + 16];
    UINT length = GetSystemDirectoryW(system_dir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return NULL;
    lstrcpyW(path, system_dir);
    lstrcatW(path, L"\\msi.dll");
    return LoadLibraryExW(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

static int decide(HMODULE msi, const wchar_t *product, const wchar_t *package)
{
    GetProductInfoFn get_info = (GetProductInfoFn)(void *)GetProcAddress(msi, "MsiGetProductInfoW");
    OpenPackageExFn open = (OpenPackageExFn)(void *)GetProcAddress(msi, "MsiOpenPackageExW");
    GetPropertyFn get_property = (GetPropertyFn)(void *)GetProcAddress(msi, "MsiGetPropertyW");
    CloseHandleFn close = (CloseHandleFn)(void *)GetProcAddress(msi, "MsiCloseHandle");
    if (!get_info || !open || !get_property || !close)
        return ERROR_PROC_NOT_FOUND;
    wchar_t installed[64], version[64];
    DWORD size = 64, handle = 0;
    UINT status = get_info(product, L"VersionString", installed, &size);
    if (status)
        return status;
    status = open(package, 1 /* MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE */, &handle);
    if (status)
        return status;
    size = 64;
    status = get_property(handle, L"ProductVersion", version, &size);
    close(handle);
    return status;
}

/* The bootstrapper's bytes (install/plugin_package.cpp), first installation. */
static int install(const wchar_t *system_dir, const wchar_t *package, const wchar_t *log, const wchar_t *ui)
{
    wchar_t command[4 * MAX_PATH] = L"";
    const wchar_t *parts[] = { L"\"", system_dir, L"\\msiexec.exe\" /i \"", package, L"\" /Lv! \"", log,
                               L"\" REBOOT=R  ADDNPORVEX=1 ", ui };
    size_t length = 0;
    for (size_t i = 0; i < sizeof parts / sizeof *parts; i++)
        length += (size_t)lstrlenW(parts[i]);
    if (length >= sizeof command / sizeof *command)
        return ERROR_FILENAME_EXCED_RANGE;
    for (size_t i = 0; i < sizeof parts / sizeof *parts; i++)
        lstrcatW(command, parts[i]);
    STARTUPINFOW si = { .cb = sizeof si };
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, NULL, &si, &pi))
        return (int)GetLastError();
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = ERROR_INVALID_FUNCTION;
    if (!GetExitCodeProcess(pi.hProcess, &code))
        code = GetLastError();
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return (int)code;
}

int wmain(int argc, wchar_t **argv)
{
    int installing = argc == 6 && !wcscmp(argv[1], L"install");
    if (!installing && !(argc == 4 && !wcscmp(argv[1], L"decide")))
        return ERROR_BAD_ARGUMENTS;
    wchar_t system_dir[MAX_PATH];
    HMODULE msi = load_msi(system_dir);
    QueryProductStateFn query = msi ? (QueryProductStateFn)(void *)GetProcAddress(msi, "MsiQueryProductStateW") : NULL;
    if (!query)
        return ERROR_MOD_NOT_FOUND;
    query(argv[2]);
    return installing ? install(system_dir, argv[3], argv[4], argv[5]) : decide(msi, argv[2], argv[3]);
}
