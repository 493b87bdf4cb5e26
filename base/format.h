/*
 * Bounded text formatting for the programs' fixed-size buffers. The platform's
 * wsprintfA writes without knowing the buffer's size, so every message and
 * file text is composed here instead.
 */
#ifndef BASE_FORMAT_H
#define BASE_FORMAT_H

#include <stdarg.h>

/*
 * Formats into buffer (size bytes, terminator included) with the wsprintf
 * conventions the programs use: %d, %ld, %u, %lu, %s and %%. The result is always
 * NUL-terminated. Returns 1 when the whole text fitted, 0 when it was cut.
 */
int FormatText(char *buffer, int size, const char *format, ...);
int FormatTextV(char *buffer, int size, const char *format, va_list args);

/* The system's own text for error (FormatMessageA's), on one line and with no blank at its
 * end, into buffer (size bytes); empty where the system has none. */
void FormatSystemText(char *buffer, int size, unsigned long error);

/* Copies length bytes of text and a terminator into buffer (size bytes); 0, buffer untouched,
 * when they do not fit. */
int CopyBytes(char *buffer, int size, const char *text, int length);

#endif
