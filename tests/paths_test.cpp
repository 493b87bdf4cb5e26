/*
 * Path helpers: joining, the source directory from the real module path, and
 * the parent walk used while the install directory is created; folders by
 * identity and their long form, on real folders.
 */
#include <gtest/gtest.h>
#include <string>
#include "base/folders.h"
#include "base/paths.h"
#include "base/state.h"
#include "support/testing.h"

TEST(JoinPath, InsertsOneBackslashOnlyWhereNeeded)
{
    struct Row
    {
        const char *base;
        const char *name;
        const char *want;
    } rows[] = {
        {"c:\\Nimbet 2 Alpha", "Nim2Alph.exe", "c:\\Nimbet 2 Alpha\\Nim2Alph.exe"},
        {"c:\\", "x", "c:\\x"},
        {"c:", "x", "c:\\x"},
        {"D:", "Nim2Alph.exe", "D:\\Nim2Alph.exe"},
        {"", "x", "x"},
        {"c:\\dir/", "x", "c:\\dir/x"},
        {"c:\\a\\.\\b", "x", "c:\\a\\.\\b\\x"},
    };
    for (const Row &row : rows)
    {
        char base[PathSize];
        lstrcpyA(base, row.base);
        EXPECT_EQ(1, JoinPath(base, row.name)) << row.base;
        EXPECT_STREQ(row.want, base);
    }
}

TEST(JoinPath, LeavesTheBufferUnchangedWhenTheResultWouldNotFit)
{
    char base[PathSize + 16];
    memset(base, 'Z', sizeof base);

    /* 250 + separator + 8 = 259 characters: the longest path that fits. */
    std::string dir = "c:\\" + std::string(247, 'd');
    lstrcpyA(base, dir.c_str());
    ASSERT_EQ(1, JoinPath(base, "12345678"));
    EXPECT_EQ(259, lstrlenA(base));

    /* One more character would need 261 bytes. */
    lstrcpyA(base, dir.c_str());
    EXPECT_EQ(0, JoinPath(base, "123456789"));
    EXPECT_EQ(dir, base);
    for (int i = PathSize; i < (int)sizeof base; i++)
        EXPECT_EQ('Z', base[i]);
}

TEST(StripLastComponent, CutsAtTheLastBackslashOnly)
{
    struct Row
    {
        const char *path;
        int result;
        const char *want;
    } rows[] = {
        {"c:\\a\\b", 1, "c:\\a"},
        {"c:\\a", 1, "c:"},
        {"c:", 0, "c:"},
        {"c:\\", 1, "c:"},
        {"\\x", 0, "\\x"},
        {"", 0, ""},
        {"c:/games/nimbet", 0, "c:/games/nimbet"},
        {"c:\\a/b", 1, "c:"},
        {"\\\\server\\share", 1, "\\\\server"},
    };
    for (const Row &row : rows)
    {
        char path[PathSize];
        lstrcpyA(path, row.path);
        EXPECT_EQ(row.result, StripLastComponent(path)) << row.path;
        EXPECT_STREQ(row.want, path) << row.path;
    }
}

TEST(StripLastComponent, WalksUpToTheDriveThenFails)
{
    char path[PathSize] = "c:\\a\\b";
    ASSERT_EQ(1, StripLastComponent(path));
    EXPECT_STREQ("c:\\a", path);
    ASSERT_EQ(1, StripLastComponent(path));
    EXPECT_STREQ("c:", path);
    EXPECT_EQ(0, StripLastComponent(path));
    EXPECT_STREQ("c:", path);
}

TEST(GetSourceDirectory, IsTheRunningProgramsDirectoryWithoutSeparator)
{
    char module[PathSize];
    ASSERT_GT(GetModuleFileNameA(NULL, module, sizeof module), 0u);
    std::string expected = module;
    std::string name = expected.substr(expected.find_last_of("\\/") + 1);
    expected.erase(expected.find_last_of("\\/"));

    GetSourceDirectory();
    EXPECT_EQ(expected, SourceDir);
    ASSERT_GT(lstrlenA(SourceDir), 0);
    char last = SourceDir[lstrlenA(SourceDir) - 1];
    EXPECT_TRUE(last != '\\' && last != '/');

    /* The result is a usable base for the product's file names. */
    char path[PathSize];
    lstrcpyA(path, SourceDir);
    ASSERT_EQ(1, JoinPath(path, name.c_str()));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path));
}

/*
 * In code page 932 the second byte of 表 (95 5C) and of ソ (83 5C) is the byte of a
 * backslash. The first check also vouches for the rig that the Cp932 fault rows run in.
 */
TEST(Cp932Paths, SeparatorsAreFoundByCharacter)
{
    ASSERT_EQ(932u, GetACP());
    char path[PathSize] = "c:\\nim\x95\x5c";
    ASSERT_EQ(1, JoinPath(path, "x"));
    EXPECT_STREQ("c:\\nim\x95\x5c\\x", path);
    lstrcpyA(path, "c:\\nimfile\x95\x5c\\\x83\x5c");
    for (const char *want : {"c:\\nimfile\x95\x5c", "c:"})
    {
        ASSERT_EQ(1, StripLastComponent(path));
        EXPECT_STREQ(want, path);
    }
    EXPECT_EQ(0, StripLastComponent(path));
}

TEST(IsSameFolder, TellsSpellingsOfOneFolderFromOtherFoldersAndRelativeNames)
{
    std::string sub = FreshDirectory("Long Folder Name") + "\\Sub Dir";
    char shortName[MAX_PATH] = "";
    CreateDirectoryA(sub.c_str(), NULL);
    GetShortPathNameA(sub.c_str(), shortName, MAX_PATH);
    /* A drive's own name, "c:", would name the current directory. */
    SetCurrentDirectoryA(sub.c_str());
    const struct
    {
        std::string path;
        int same;
    } rows[] = {{"C:\\TESTS\\long folder name\\sub dir\\", 1},
                {shortName, 1},
                {sub + "\\..\\Sub Dir", 1},
                {"c:/tests/Long Folder Name/Sub Dir", 1},
                {"c:", 0},
                {"Sub Dir", 0},
                {sub + "\\..", 0},
                {sub + "\\missing", 0},
                {"", 0}};
    for (const auto &row : rows)
        EXPECT_EQ(row.same, IsSameFolder(row.path.c_str(), sub.c_str())) << row.path;
    SetCurrentDirectoryA("C:\\");
    char longForm[PathSize];
    GetLongForm(shortName, longForm);
    EXPECT_STREQ("C:\\tests\\Long Folder Name\\Sub Dir", longForm) << shortName;
}
