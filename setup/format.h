/*
 * Bounded text formatting for the setup's fixed-size buffers. The platform's
 * wsprintfA writes without knowing the buffer's size, so every message and
 * file text is composed here instead.
 */
#ifndef SETUP_FORMAT_H
#define SETUP_FORMAT_H

#include <stdarg.h>

/*
 * Formats into buffer (size bytes, terminator included) with the wsprintf
 * conventions the setup uses: %d, %ld, %u, %lu, %s and %%. The result is always
 * NUL-terminated. Returns 1 when the whole text fitted, 0 when it was cut.
 */
int FormatText(char *buffer, int size, const char *format, ...);
int FormatTextV(char *buffer, int size, const char *format, va_list args);

#endif
