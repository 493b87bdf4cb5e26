/*
 * The benchmark's floor for the install: a bare program (no C runtime, KERNEL32
 * only) that copies the product's eight files from its own directory into the
 * directory named on its command line with one CopyFileA each, and nothing
 * else. It times its own copy loop and prints the microseconds, so that the
 * process start-up Wine adds is kept out of the comparison.
 */
#include <windows.h>
#include "base/product.h"

namespace
{

enum
{
    DigitsSize = 24
};

/* The text after the program's name on the command line (quoted or not), leading blanks skipped. */
const char *CommandTail(const char *line)
{
    if (*line == '"')
    {
        ++line;
        while (*line && *line != '"')
            ++line;
        if (*line)
            ++line;
    }
    else
    {
        while (*line && *line != ' ' && *line != '\t')
            ++line;
    }
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}

/* base + "\" + name into path, or 0 when it does not fit. */
int Join(char *path, const char *base, const char *name)
{
    if (lstrlenA(base) + 1 + lstrlenA(name) >= MAX_PATH)
        return 0;
    lstrcpyA(path, base);
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    return 1;
}

void PrintNumber(ULONGLONG value)
{
    char digits[DigitsSize];
    int at = DigitsSize;
    digits[--at] = '\n';
    do
    {
        digits[--at] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), digits + at, DigitsSize - at, &written, NULL);
}

int CopyAll(const char *sourceDir, const char *targetDir)
{
    char source[MAX_PATH];
    char target[MAX_PATH];
    for (int i = 0; i < ProductFileCount; ++i)
    {
        if (!Join(source, sourceDir, ProductFiles[i]) || !Join(target, targetDir, ProductFiles[i]))
            return 0;
        if (!CopyFileA(source, target, FALSE))
            return 0;
    }
    return 1;
}

} // namespace

extern "C" void __stdcall FloorCopierStart(void)
{
    char sourceDir[MAX_PATH] = "";
    GetModuleFileNameA(NULL, sourceDir, sizeof sourceDir);
    char *cut = sourceDir;
    for (char *at = sourceDir; *at; ++at)
        if (*at == '\\')
            cut = at;
    *cut = '\0';
    const char *targetDir = CommandTail(GetCommandLineA());

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int copied = CopyAll(sourceDir, targetDir);
    QueryPerformanceCounter(&end);
    if (!copied)
        ExitProcess(1);
    PrintNumber((ULONGLONG)(end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
    ExitProcess(0);
}
