/*
 * The log's lines. Each is written whole with one WriteFile as it happens,
 * never gathered for later: a crash then loses at most the line it was
 * writing. GetLastError and FormatMessageA are Windows 95's.
 */
#include <windows.h>
#include "base/format.h"
#include "base/log.h"
#include "base/product.h"
#include "base/state.h"

namespace
{

/* One line with its CR LF: room for the command line's start and two paths. */
enum
{
    LogLineSize = 1024
};

} // namespace

int OpenLog(const char *name, int length)
{
    char path[PathSize];
    LogFile = INVALID_HANDLE_VALUE;
    if (CopyBytes(path, PathSize, name, length))
        LogFile = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
    return LogFile != INVALID_HANDLE_VALUE;
}

void Log(const char *format, ...)
{
    /* Without a log LogFile is 0, or -1 when it could not be made. */
    if (LogFile == NULL || LogFile == INVALID_HANDLE_VALUE)
        return;
    char line[LogLineSize];
    va_list args;
    va_start(args, format);
    FormatTextV(line, LogLineSize - 2, format, args);
    va_end(args);
    int length = lstrlenA(line);
    line[length++] = '\r';
    line[length++] = '\n';
    DWORD written;
    WriteFile(LogFile, line, (DWORD)length, &written, NULL);
}

DWORD LogVersions(const char *title)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version; /* 148: the original, pre-Ex size */
    GetVersionExA(&version);
    /* Windows 9x keeps its major and minor version in the build number's high word. */
    Log("%s " PRODUCT_VERSION ", Windows %lu.%lu.%lu\r\n%s", title, version.dwMajorVersion,
        version.dwMinorVersion, version.dwBuildNumber & 0xFFFF, GetCommandLineA());
    return version.dwMajorVersion;
}

void LogPart(const char *format, const char *text, int length, const char *more)
{
    char shown[PathSize];
    CopyBytes(shown, PathSize, text, length < PathSize ? length : PathSize - 1);
    Log(format, shown, more);
}

int LogFailure(const char *call, const char *path, const char *other, DWORD error)
{
    char text[256];
    if (!error)
        error = GetLastError();
    FormatSystemText(text, sizeof text, error);
    /* "CopyFileA(from, to) failed: 2 File not found." */
    if (!other)
        Log("%s(%s) failed: %lu %s", call, path, error, text);
    else
        Log("%s(%s, %s) failed: %lu %s", call, path, other, error, text);
    return 0;
}
