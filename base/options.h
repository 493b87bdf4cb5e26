/*
 * The command line both programs read: /S and the silent spellings of other
 * installers with the switches that go with them, /LOG=<file>, /? and /HELP,
 * and, where a program takes them, /VERIFY, /ALLUSERS and /D=<directory>.
 * Options are case-insensitive whole words beginning with '/' or '-', each
 * bare or wrapped whole in double quotes, as deployment tools quote an
 * argument. The whole line is read before anything is opened or made.
 */
#ifndef BASE_OPTIONS_H
#define BASE_OPTIONS_H

#include <windows.h>

/* The options a program takes beyond /S, /LOG, /? and /HELP; any other is unknown to it. */
enum
{
    TakesDirectory = 1, /* /D=<directory>, last on the line, and /ALLUSERS */
    TakesVerify = 2     /* /VERIFY */
};

/*
 * What the line asks for: whether to run silently, verify, install for all
 * users or show the help; the other installers' switches given, a bit each;
 * the last /LOG's value (quotes taken off; NULL for none); /D's value (NULL
 * for none), as written; and the first word that looks like an option but is
 * none that the program takes.
 */
struct Options
{
    int silent;
    int verify;
    int allUsers;
    int help;
    unsigned ignored;
    const char *log;
    int logLength;
    const char *directory;
    int directoryLength;
    const char *unknown;
    int unknownLength;
};

/* What follows the program's own name in its command line, which is quoted when it holds
 * spaces. */
LPSTR SkipProgramName(LPSTR line);

/* Whether c ends a word: a space, a tab or the end of the line. */
int EndsWord(char c);

/* A whole option or value wrapped in double quotes, as tools quote an argument that holds a
 * space: the text between them, *length shortened. A quote at one end only is kept. */
const char *Unquote(const char *text, int *length);

/* Reads the options of line into options (zeroed first by the caller); takes says which of
 * /D and /VERIFY the program takes. */
void ReadOptions(const char *line, int takes, Options *options);

/* Logs each of the other installers' switches that the line gave, which change nothing. */
void LogIgnoredOptions(const Options *options);

#endif
