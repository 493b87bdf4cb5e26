/*
 * The program's entry. The setup links no C runtime (a stock Windows 95 has
 * none), so the process starts here, runs WinMain and leaves by ExitProcess
 * with the setup's exit code. The entry also reads the command line's options,
 * the whole line first, and only then opens the log, so that an option given
 * twice makes nothing for the one that does not count.
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

/* A whole option or value wrapped in double quotes, as tools quote an argument that holds a
 * space: the text between them. A quote at one end only is kept. */
const char *Unquote(const char *text, int *length)
{
    if (*length < 2 || text[0] != '"' || text[*length - 1] != '"')
        return text;
    *length -= 2;
    return text + 1;
}

/* Whether text begins with name, which is given in lower case, in any case. */
int IsOption(const char *text, const char *name)
{
    for (; *name; name++, text++)
    {
        if ((*text | 0x20) != *name) /* ASCII lower case */
            return 0;
    }
    return 1;
}

/* The end of the word at text: the first blank outside double quotes. */
const char *WordEnd(const char *text)
{
    for (int quoted = 0; *text != '\0' && (quoted || !EndsWord(*text)); text++)
        quoted ^= *text == '"';
    return text;
}

/*
 * A directory the setup may be pointed at from elsewhere, of at least three
 * bytes: a drive and its root ("c:\") or a network path ("\\server\share").
 * Anything else would be taken from whatever the working directory is.
 */
int IsAbsolute(const char *path)
{
    if (path[0] == '\\')
        return path[1] == '\\' && path[2] != '\\';
    /* The platform takes '/' after the drive as the field does. */
    return path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

/* Copies length bytes of value and a terminator into a PathSize buffer; 0, to untouched, when
 * they do not fit. */
int CopyValue(char *to, const char *value, int length)
{
    if (length >= PathSize)
        return 0;
    to[length] = '\0';
    while (length-- > 0)
        to[length] = value[length];
    return 1;
}

/* Logs format with length bytes of text (cut to a path's size) and more for its two %s. */
void LogPart(const char *format, const char *text, int length, const char *more)
{
    char shown[PathSize];
    CopyValue(shown, text, length < PathSize ? length : PathSize - 1);
    Log(format, shown, more);
}

/*
 * /D's value, length bytes, without its leading blanks and a pair of quotes
 * around it. Returns 0, leaving InstallDir alone, when it is no absolute
 * directory or does not fit a path; the log then says which, with the value.
 */
int TakeDirectory(const char *value, int length)
{
    for (; length > 0 && EndsWord(*value); length--)
        value++;
    value = Unquote(value, &length);
    const char *why = "not absolute";
    if (length == 0)
        why = "empty";
    else if (length >= 3 && IsAbsolute(value))
    {
        if (CopyValue(InstallDir, value, length))
            return 1;
        why = "too long";
    }
    LogPart("Refused directory \"%s\": %s", value, length, why);
    return 0;
}

/*
 * /LOG's value, length bytes, a pair of quotes around it taken off, names the
 * log, which is made afresh here. A value that does not fit a path, or that
 * cannot be created, makes none, and LogFile then tells that the log was asked
 * for in vain.
 */
void TakeLog(const char *value, int length)
{
    char path[PathSize];
    value = Unquote(value, &length);
    LogFile = INVALID_HANDLE_VALUE;
    if (CopyValue(path, value, length))
        LogFile = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
}

/* What the command line asks for beyond the globals it sets: the last /LOG's value, /D's
 * (NULL for none), the first word that looks like an option but is none, and /? or /HELP. */
struct Options
{
    const char *log;
    int logLength;
    const char *directory;
    int directoryLength;
    const char *unknown;
    int unknownLength;
    int help;
};

/* Whether the word, length bytes, is name (lower case) whole, in any case. */
int IsWord(const char *word, int length, const char *name)
{
    return length == lstrlenA(name) && IsOption(word, name);
}

/* /S and the spellings administrators know from other installers. */
int IsSilentWord(const char *word, int length)
{
    static const char *const names[] = {"/s", "/silent", "/verysilent", "/quiet", "/q"};
    for (const char *name : names)
    {
        if (IsWord(word, length, name))
            return 1;
    }
    return 0;
}

/*
 * The options /S (and its spellings), /LOG=<file>, /VERIFY, /? or /HELP and
 * /D=<directory>, in any case, each bare or wrapped whole in quotes. /LOG's
 * value is in quotes or runs to the next blank; the last /LOG counts. /D
 * comes last: it runs to the end of the line, trailing blanks dropped, so its
 * value may hold spaces. Sets Unattended and VerifyOnly; nothing is opened here.
 */
void ReadOptions(const char *word, Options *options)
{
    const char *last = word + lstrlenA(word);
    while (last > word && EndsWord(last[-1]))
        last--;
    for (const char *end; word < last; word = end + 1)
    {
        end = WordEnd(word);
        int length = (int)(end - word);
        const char *option = Unquote(word, &length);
        if (IsOption(option, "/d="))
        {
            /* Less a quoted option's closing quote, which ends the line. */
            options->directory = option + 3;
            options->directoryLength = (int)(last - option) - 3 - (option != word);
            return;
        }
        if (IsOption(option, "/log="))
        {
            options->log = option + 5;
            options->logLength = length - 5;
        }
        else if (IsSilentWord(option, length))
            Unattended = 1;
        else if (IsWord(option, length, "/verify"))
            VerifyOnly = 1;
        else if (IsWord(option, length, "/?") || IsWord(option, length, "/help"))
            options->help = 1;
        else if (!options->unknown && (word[0] == '/' || (word[0] == '"' && word[1] == '/')))
        {
            /* Quoted at one end only, a word is no option either. */
            options->unknown = word;
            options->unknownLength = (int)(end - word);
        }
    }
}

/* One string, to keep the program small. */
const char HelpText[] = "/S\tinstall with no window (also /SILENT, /VERYSILENT, /QUIET, /Q)\n"
                        "/LOG=file\twrite a log\n"
                        "/D=directory\tinstall there; last on the line\n"
                        "/VERIFY\tcheck the setup's files, install nothing\n"
                        "/?, /HELP\tthis text\n\n"
                        "Exit codes: 0 installed, 1 cancelled, 2 refused or failed,\n"
                        "3 a product file is in use (nothing changed)";

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)previous;
    (void)show;
    RestrictDllSearch();
    Instance = instance;
    GetSourceDirectory();
    FormatText(InstallDir, PathSize, "%s", DefaultInstallDir);
    Options options = {};
    ReadOptions(commandLine, &options);
    if (options.help)
    {
        MessageBoxA(NULL, HelpText, SetupTitle, MB_OK);
        return ExitInstalled;
    }
    if (options.log)
        TakeLog(options.log, options.logLength);
    if (LogFile == INVALID_HANDLE_VALUE)
    {
        TellUser(NULL, "Could not create the setup log.");
        return ExitFailed;
    }
    int directoryFits =
        !options.directory || TakeDirectory(options.directory, options.directoryLength);
    /* No one is there to see a guessed switch ignored: refuse it. */
    if (Unattended && options.unknown)
    {
        LogPart("Unknown option %s", options.unknown, options.unknownLength, NULL);
        return ExitFailed;
    }
    if (VerifyOnly)
        return VerifyOnlyRun();
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
