/*
 * The log's lines. Each is written whole with one WriteFile as it happens,
 * never gathered for later: a crash then loses at most the line it was
 * writing. GetLastError and FormatMessageA are found at run time, since the
 * import section has no room left for them; Windows 95 has both.
 */
#include <windows.h>
#include "setup/format.h"
#include "setup/libraries.h"
#include "setup/log.h"
#include "setup/state.h"

namespace
{

/* One line with its CR LF: room for the command line's start and two paths. */
enum
{
    LogLineSize = 1024
};

} // namespace

void Log(const char *format, ...)
{
    char line[LogLineSize];
    va_list args;
    va_start(args, format);
    FormatTextV(line, LogLineSize - 2, format, args);
    va_end(args);
    int length = lstrlenA(line);
    line[length++] = '\r';
    line[length++] = '\n';
    /* Without a log LogFile is 0, or -1 when it could not be made: WriteFile refuses both. */
    DWORD written;
    WriteFile(LogFile, line, (DWORD)length, &written, NULL);
}

int LogFailure(const char *call, DWORD error)
{
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    DWORD(WINAPI * lastError)(void);
    DWORD(WINAPI * formatMessage)(DWORD, LPCVOID, DWORD, DWORD, LPSTR, DWORD, va_list *);
    char text[256];
    text[0] = '\0';
    if (!error && FindCall(kernel, "GetLastError", &lastError))
        error = lastError();
    if (FindCall(kernel, "FormatMessageA", &formatMessage))
        /* With a maximum width the system's text ends in no line break of its own. */
        formatMessage(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                          FORMAT_MESSAGE_MAX_WIDTH_MASK,
                      NULL, error, 0, text, sizeof text, NULL);
    Log("%s failed: %lu %s", call, error, text);
    return 0;
}
