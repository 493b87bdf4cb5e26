/*
 * A small bounded formatter covering the conversions the programs' texts use.
 * Output stops at the buffer's end instead of running past it, and the caller
 * learns whether the text was cut.
 */
#include <windows.h>
#include "base/format.h"

namespace
{

struct Output
{
    char *buffer;
    int size;
    int length;
    int cut;
};

void Put(Output *out, char c)
{
    if (out->length + 1 < out->size)
        out->buffer[out->length++] = c;
    else
        out->cut = 1;
}

void PutText(Output *out, const char *text)
{
    if (!text)
        text = "(null)";
    while (*text)
        Put(out, *text++);
}

void PutNumber(Output *out, unsigned long value, int negative)
{
    char digits[12];
    int count = 0;
    do
    {
        digits[count++] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0);
    if (negative)
        Put(out, '-');
    while (count > 0)
        Put(out, digits[--count]);
}

} // namespace

int FormatTextV(char *buffer, int size, const char *format, va_list args)
{
    if (size <= 0)
        return 0;
    Output out = {buffer, size, 0, 0};
    for (const char *p = format; *p; p++)
    {
        if (*p != '%')
        {
            Put(&out, *p);
            continue;
        }
        const char *start = p++;
        if (*p == 'l')
            p++;
        switch (*p)
        {
        case 'd':
        case 'i':
        {
            /* int and long are both 32 bits on Win32, so %d and %ld read alike. */
            long value = va_arg(args, long);
            unsigned long magnitude = value < 0 ? 0UL - (unsigned long)value : (unsigned long)value;
            PutNumber(&out, magnitude, value < 0);
            break;
        }
        case 'u':
            PutNumber(&out, va_arg(args, unsigned long), 0);
            break;
        case 's':
            PutText(&out, va_arg(args, const char *));
            break;
        case '%':
            Put(&out, '%');
            break;
        default:
            /* Not a conversion this formatter knows: keep the text as written. */
            for (; start <= p && *start; start++)
                Put(&out, *start);
            if (!*p)
                p--;
            break;
        }
    }
    buffer[out.length] = '\0';
    return !out.cut;
}

int FormatText(char *buffer, int size, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    int fitted = FormatTextV(buffer, size, format, args);
    va_end(args);
    return fitted;
}

int CopyBytes(char *buffer, int size, const char *text, int length)
{
    if (length < 0 || length >= size)
        return 0;
    buffer[length] = '\0';
    while (length-- > 0)
        buffer[length] = text[length];
    return 1;
}

void FormatSystemText(char *buffer, int size, unsigned long error)
{
    buffer[0] = '\0';
    /* With a maximum width the system's text ends in no line break of its own, but in the
       blank that stands in for it. */
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                  NULL, error, 0, buffer, (DWORD)size, NULL);
    while (length > 0 && buffer[length - 1] == ' ')
        buffer[--length] = '\0';
}
