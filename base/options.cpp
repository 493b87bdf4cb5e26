/*
 * The command line's words. /D runs to the end of the line, so a directory may
 * hold spaces; /LOG's value is in quotes or runs to the next blank; the last
 * /LOG counts. A word quoted at one end only is no option. Every option may
 * begin with '-' as well, as the other installers' switches often do.
 */
#include <windows.h>
#include "base/log.h"
#include "base/options.h"

namespace
{

/* Switches of other installers that ask for what an unattended run does anyway: no message
   boxes, no restart, no "do you wish to continue", no Cancel button. */
const char *const Companions[] = {"/SUPPRESSMSGBOXES", "/NORESTART", "/SP-", "/NOCANCEL"};
const int CompanionCount = sizeof Companions / sizeof *Companions;

int IsOptionStart(char c)
{
    return c == '/' || c == '-';
}

/* Whether text begins with name (given with '/' first), in any case. A word holds no byte
   below '!', so a name's digits and marks ("-=?") match only themselves when case is folded. */
int IsOption(const char *text, const char *name)
{
    if (!IsOptionStart(*text))
        return 0;
    for (name++, text++; *name; name++, text++)
    {
        if ((*text | 0x20) != (*name | 0x20))
            return 0;
    }
    return 1;
}

/* Whether the word, length bytes, is name whole, in any case. */
int IsWord(const char *word, int length, const char *name)
{
    return length == lstrlenA(name) && IsOption(word, name);
}

/* The first of names (count of them) that the word is, or -1. */
int WhichWord(const char *word, int length, const char *const *names, int count)
{
    for (int i = 0; i < count; i++)
    {
        if (IsWord(word, length, names[i]))
            return i;
    }
    return -1;
}

/* /S and the spellings administrators know from other installers. */
int IsSilentWord(const char *word, int length)
{
    static const char *const names[] = {"/s", "/silent", "/verysilent", "/quiet", "/q", "/qn"};
    return WhichWord(word, length, names, sizeof names / sizeof *names) >= 0;
}

/* An option that takes no value, which a tool may run into the next one ("/S/D=c:\x"). */
int IsFlag(const char *word, int length)
{
    return IsSilentWord(word, length) || IsWord(word, length, "/verify") ||
           IsWord(word, length, "/allusers") || IsWord(word, length, "/?") ||
           IsWord(word, length, "/help") ||
           WhichWord(word, length, Companions, CompanionCount) >= 0;
}

/* The end of the word at text: the first blank outside double quotes, or where a flag ends
   in the start of another option. */
const char *WordEnd(const char *text)
{
    const char *end = text;
    for (int quoted = 0; *end != '\0' && (quoted || !EndsWord(*end)); end++)
        quoted ^= *end == '"';
    for (const char *next = text + 1; next < end; next++)
    {
        if (IsOptionStart(*next))
            return IsFlag(text, (int)(next - text)) ? next : end;
    }
    return end;
}

} // namespace

int EndsWord(char c)
{
    /* No lead or trail byte of a double-byte character is that low. */
    return (BYTE)c <= ' ';
}

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

const char *Unquote(const char *text, int *length)
{
    if (*length < 2 || text[0] != '"' || text[*length - 1] != '"')
        return text;
    *length -= 2;
    return text + 1;
}

void ReadOptions(const char *word, int takes, Options *options)
{
    const char *last = word + lstrlenA(word);
    while (last > word && EndsWord(last[-1]))
        last--;
    for (const char *end; word < last; word = end)
    {
        end = WordEnd(word);
        int length = (int)(end - word);
        const char *option = Unquote(word, &length);
        int companion = WhichWord(option, length, Companions, CompanionCount);
        if ((takes & TakesDirectory) && IsOption(option, "/d="))
        {
            /* Less a quoted option's closing quote, which ends the line. */
            options->directory = option + 3;
            options->directoryLength = (int)(last - option) - 3 - (option != word);
            return;
        }
        if (IsOption(option, "/log="))
        {
            options->logLength = length - 5;
            options->log = Unquote(option + 5, &options->logLength);
        }
        else if (IsSilentWord(option, length))
            options->silent = 1;
        else if ((takes & TakesVerify) && IsWord(option, length, "/verify"))
            options->verify = 1;
        else if ((takes & TakesDirectory) && IsWord(option, length, "/allusers"))
            options->allUsers = 1;
        else if (IsWord(option, length, "/?") || IsWord(option, length, "/help"))
            options->help = 1;
        else if (companion >= 0)
            options->ignored |= 1u << companion;
        else if (!options->unknown &&
                 (IsOptionStart(word[0]) || (word[0] == '"' && IsOptionStart(word[1]))))
        {
            /* Quoted at one end only, a word is no option either. */
            options->unknown = word;
            options->unknownLength = (int)(end - word);
        }
        while (end < last && EndsWord(*end))
            end++;
    }
}

void LogIgnoredOptions(const Options *options)
{
    for (int i = 0; i < CompanionCount; i++)
    {
        if ((options->ignored >> i) & 1)
            Log("Ignored %s, which asks for what the setup does anyway", Companions[i]);
    }
}
