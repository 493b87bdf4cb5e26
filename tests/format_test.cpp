/*
 * The bounded formatter behind every message and file text: the conversions
 * the setup uses, and cutting instead of overrunning a small buffer.
 */
#include <gtest/gtest.h>
#include <string>
#include "base/format.h"
#include "base/log.h"
#include "base/state.h"

namespace
{

struct Formatted
{
    int fitted;
    std::string text;
};

template <typename... Args> Formatted Format(int size, const char *format, Args... args)
{
    char buffer[512];
    memset(buffer, 'X', sizeof buffer);
    int fitted = FormatText(buffer, size, format, args...);
    /* Nothing past the given size may be touched. */
    for (int i = size; i < (int)sizeof buffer; i++)
        EXPECT_EQ('X', buffer[i]) << "byte " << i << " written for \"" << format << "\"";
    return {fitted, buffer};
}

} // namespace

TEST(FormatText, ConvertsTheConversionsTheSetupUses)
{
    struct Row
    {
        Formatted got;
        const char *want;
    } rows[] = {
        {Format(128, "Copying files... %d%% completed", 12), "Copying files... 12% completed"},
        {Format(128, "Copying files... %d%% completed", 100), "Copying files... 100% completed"},
        {Format(256, "You need about %ld more bytes of disk space to install Nimbet.", 1L),
         "You need about 1 more bytes of disk space to install Nimbet."},
        {Format(128, "%ld", -2147483647L - 1), "-2147483648"},
        {Format(128, "%d", -7), "-7"},
        {Format(128, "%lu", 4294967295UL), "4294967295"},
        {Format(128, "Could not copy %s", "Nim2Alph.exe"), "Could not copy Nim2Alph.exe"},
        {Format(512, "%s\\unsetup.exe %d", "c:\\games\\", 0), "c:\\games\\\\unsetup.exe 0"},
        {Format(128, ""), ""},
        {Format(128, "%s", ""), ""},
        {Format(128, "%q is kept as written"), "%q is kept as written"},
        {Format(128, "a lone %"), "a lone %"},
    };
    for (const Row &row : rows)
    {
        EXPECT_EQ(1, row.got.fitted) << row.want;
        EXPECT_EQ(row.want, row.got.text);
    }
}

TEST(FormatText, CutsAtTheBufferEndAndSaysSo)
{
    Formatted exact = Format(6, "%s", "12345");
    EXPECT_EQ(1, exact.fitted);
    EXPECT_EQ("12345", exact.text);

    Formatted cut = Format(6, "%s", "123456");
    EXPECT_EQ(0, cut.fitted);
    EXPECT_EQ("12345", cut.text);

    Formatted number = Format(4, "x%dy", 123456);
    EXPECT_EQ(0, number.fitted);
    EXPECT_EQ("x12", number.text);

    Formatted single = Format(1, "anything");
    EXPECT_EQ(0, single.fitted);
    EXPECT_EQ("", single.text);
}

/* Without a log (0) or with one that could not be made (-1), a line touches nothing, not even
   the last error a failed call left for its own line. */
TEST(Log, WritesNothingWithoutALog)
{
    for (HANDLE none : {(HANDLE)NULL, INVALID_HANDLE_VALUE})
    {
        LogFile = none;
        SetLastError(4321);
        Log("Copied %s", "c:\\x");
        EXPECT_EQ(4321u, GetLastError());
    }
    LogFile = NULL;
}
