/*
 * The command line's words. /D runs to the end of the line, so a directory may
 * hold spaces; /LOG's value is in quotes or runs to the next blank; the last
 * /LOG counts. A word quoted at one end only is no option.
 */
#include <windows.h>
#include "base/options.h"

namespace
{

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

/* The end of the word at text: the first blank outside double quotes. */
const char *WordEnd(const char *text)
{
    for (int quoted = 0; *text != '\0' && (quoted || !EndsWord(*text)); text++)
        quoted ^= *text == '"';
    return text;
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
    for (const char *end; word < last; word = end + 1)
    {
        end = WordEnd(word);
        int length = (int)(end - word);
        const char *option = Unquote(word, &length);
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
