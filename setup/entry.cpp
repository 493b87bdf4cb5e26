/*
 * The program's entry. The setup links no C runtime (a stock Windows 95 has
 * none), so the process starts here, runs WinMain and leaves by ExitProcess
 * with the setup's exit code. The entry also reads the command line's options
 * and opens the log before any other work.
 */
#include <windows.h>
#include "install/paths.h"
#include "setup/controller.h"
#include "setup/dialog.h"
#include "setup/format.h"
#include "setup/libraries.h"
#include "setup/log.h"
#include "setup/manifest.h"
#include "setup/state.h"

namespace
{

/* The end of a word: a space, a tab or the end of the line. No lead or trail byte is that low. */
int EndsWord(char c)
{
    return (BYTE)c <= ' ';
}

/* What follows the program's own name, which is quoted when it holds spaces. */
LPSTR SkipProgramName(LPSTR line)
{
    if (*line != '"')
    {
        while (!EndsWord(*line))
            line++;
        return line;
    }
    for (line++; *line != '\0' && *line != '"'; line++)
        ;
    return *line ? line + 1 : line;
}

/*
 * /D's value runs to the end of the line, so it may hold spaces; trailing blanks
 * are dropped, then a pair of quotes around it. Returns 0, leaving InstallDir
 * alone, when it does not fit a path.
 */
int TakeDirectory(const char *value)
{
    int length = lstrlenA(value);
    while (length > 0 && EndsWord(value[length - 1]))
        length--;
    if (length >= 2 && value[0] == '"' && value[length - 1] == '"')
    {
        value++;
        length -= 2;
    }
    if (length >= PathSize)
        return 0;
    InstallDir[length] = '\0';
    while (length-- > 0)
        InstallDir[length] = value[length];
    return 1;
}

/*
 * /LOG's value, in double quotes or up to the next blank, names the log, which
 * is made afresh here. A value that does not fit a path, or whose quote is not
 * closed, makes none, and LogFile then tells that the log was asked for in
 * vain. Returns the value's last character, for the option loop to step past.
 */
const char *TakeLog(const char *value)
{
    char end = ' ';
    if (*value == '"')
        end = *value++;
    /* A quoted value ends at its quote; either kind at a tab or the end of the line. */
    int length = 0;
    while (value[length] != end && (BYTE)value[length] >= ' ')
        length++;
    LogFile = INVALID_HANDLE_VALUE;
    if (length < PathSize && (value[length] == end || end == ' '))
    {
        /* The value's length and its terminator: the copy stops where the value does. */
        char path[PathSize];
        FormatText(path, length + 1, "%s", value);
        LogFile = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
    }
    return value + length - 1;
}

/*
 * The options /S, /LOG=<file> and /D=<directory>, in any case; /D comes last. Anything else
 * is ignored. Returns 0 when /D's directory was refused.
 */
int ReadOptions(const char *arguments)
{
    char before = ' ';
    for (const char *word = arguments; *word != '\0'; before = *word++)
    {
        if (word[0] != '/' || !EndsWord(before))
            continue;
        char letter = (char)(word[1] | 0x20); /* ASCII lower case */
        if (letter == 'd' && word[2] == '=')
            return TakeDirectory(word + 3);
        if (letter == 'l' && (word[2] | 0x20) == 'o' && (word[3] | 0x20) == 'g' && word[4] == '=')
            word = TakeLog(word + 5);
        if (letter == 's' && EndsWord(word[2]))
            Unattended = 1;
    }
    return 1;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)show;
    RestrictDllSearch();
    Instance = instance;
    GetSourceDirectory();
    FormatText(InstallDir, PathSize, "%s", DefaultInstallDir);
    int directoryFits = ReadOptions(commandLine);
    if (LogFile == INVALID_HANDLE_VALUE)
    {
        TellUser(NULL, "Could not create the setup log.");
        return ExitFailed;
    }
    if (Unattended)
    {
        /* A refused directory is none: the run stops at the directory and says so. */
        if (!directoryFits)
            InstallDir[0] = '\0';
        return InstallUnattended();
    }
    /* Windows XP creates no dialog asking for Common Controls 6 before COMCTL32 is loaded. */
    LoadCommonControls();
    /* -1 when the dialog could not be created. */
    UINT_PTR result = DialogBoxParamA(instance, "DLG_SETUP", NULL, SetupDialogProc, 0);
    return result > ExitFailed ? ExitFailed : (int)result;
}

extern "C" void __stdcall SetupStart(void)
{
    int code =
        WinMain(GetModuleHandleA(NULL), NULL, SkipProgramName(GetCommandLineA()), SW_SHOWDEFAULT);
    Log("Exit code %d", code);
    ExitProcess((UINT)code);
}
