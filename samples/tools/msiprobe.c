/* msiprobe: what Windows Installer on this machine (or in this Wine prefix)
 * says about a product, for tests that check the bootstrapper's outcome.
 *
 *   msiprobe state PRODUCTCODE [FEATURE]
 *       product_state=N [feature_state=N] then ProductName, VersionString,
 *       LocalPackage as name=value lines (empty when not installed)
 *   msiprobe dbprop PACKAGE PROPERTY
 *       the property as stored in the package file (read-only database view)
 *   msiprobe pkgprop PACKAGE PROPERTY
 *       the property via MsiOpenPackageEx, as an installer UI would see it
 *
 * Output is UTF-8.  Exit status 0, or 1 on a Windows Installer error. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <stdio.h>
#include <wchar.h>

static void put(const wchar_t *name, const wchar_t *value)
{
    char buf[4096];
    int n = WideCharToMultiByte(CP_UTF8, 0, name, -1, buf, sizeof buf - 1, NULL, NULL);
    if (n <= 0)
        return;
    buf[n - 1] = '=';
    int m = WideCharToMultiByte(CP_UTF8, 0, value, -1, buf + n, (int)sizeof buf - n - 1, NULL, NULL);
    if (m <= 0)
        m = 1;
    buf[n + m - 1] = '\n';
    fwrite(buf, 1, (size_t)(n + m), stdout);
}

static int state(const wchar_t *product, const wchar_t *feature)
{
    printf("product_state=%d\n", (int)MsiQueryProductStateW(product));
    if (feature)
        printf("feature_state=%d\n", (int)MsiQueryFeatureStateW(product, feature));
    static const wchar_t *const props[] = {
        INSTALLPROPERTY_INSTALLEDPRODUCTNAME, INSTALLPROPERTY_VERSIONSTRING,
        INSTALLPROPERTY_LOCALPACKAGE,
    };
    for (size_t i = 0; i < sizeof props / sizeof *props; i++) {
        wchar_t val[1024] = L"";
        DWORD len = 1024;
        if (MsiGetProductInfoW(product, props[i], val, &len) != ERROR_SUCCESS)
            val[0] = 0;
        put(props[i], val);
    }
    return 0;
}

static int dbprop(const wchar_t *path, const wchar_t *prop)
{
    MSIHANDLE db, view, rec;
    UINT r = MsiOpenDatabaseW(path, MSIDBOPEN_READONLY, &db);
    if (r) {
        fprintf(stderr, "msiprobe: MsiOpenDatabase: %u\n", r);
        return 1;
    }
    r = MsiDatabaseOpenViewW(db, L"SELECT `Value` FROM `Property` WHERE `Property` = ?", &view);
    if (!r) {
        MSIHANDLE arg = MsiCreateRecord(1);
        MsiRecordSetStringW(arg, 1, prop);
        r = MsiViewExecute(view, arg);
        MsiCloseHandle(arg);
        if (!r && !(r = MsiViewFetch(view, &rec))) {
            wchar_t val[1024];
            DWORD len = 1024;
            r = MsiRecordGetStringW(rec, 1, val, &len);
            if (!r)
                put(prop, val);
            MsiCloseHandle(rec);
        }
        MsiCloseHandle(view);
    }
    MsiCloseHandle(db);
    if (r)
        fprintf(stderr, "msiprobe: reading %ls: %u\n", prop, r);
    return r ? 1 : 0;
}

static int pkgprop(const wchar_t *path, const wchar_t *prop)
{
    MSIHANDLE pkg;
    MsiSetInternalUI(INSTALLUILEVEL_NONE, NULL);
    UINT r = MsiOpenPackageExW(path, MSIOPENPACKAGEFLAGS_IGNOREMACHINESTATE, &pkg);
    if (r) {
        fprintf(stderr, "msiprobe: MsiOpenPackageEx: %u\n", r);
        return 1;
    }
    wchar_t val[1024];
    DWORD len = 1024;
    r = MsiGetPropertyW(pkg, prop, val, &len);
    if (!r)
        put(prop, val);
    MsiCloseHandle(pkg);
    return r ? 1 : 0;
}

int wmain(int argc, wchar_t **argv)
{
    /* Keep stdout and stderr in order when both go to one pipe. */
    setvbuf(stdout, NULL, _IONBF, 0);
    if (argc >= 3 && !wcscmp(argv[1], L"state"))
        return state(argv[2], argc > 3 ? argv[3] : NULL);
    if (argc == 4 && !wcscmp(argv[1], L"dbprop"))
        return dbprop(argv[2], argv[3]);
    if (argc == 4 && !wcscmp(argv[1], L"pkgprop"))
        return pkgprop(argv[2], argv[3]);
    fputs("usage: msiprobe state PRODUCTCODE [FEATURE]\n"
          "       msiprobe dbprop|pkgprop PACKAGE PROPERTY\n", stderr);
    return 2;
}
