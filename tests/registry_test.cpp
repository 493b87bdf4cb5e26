/*
 * The registry entries, read back from Wine's real registry: types, stored
 * sizes, overwriting, and one key refused without losing the other.
 */
#include <gtest/gtest.h>
#include <string>
#include "register/registry.h"
#include "setup/manifest.h"
#include "base/state.h"
#include "support/testing.h"

namespace
{

struct StoredValue
{
    bool found;
    DWORD type;
    DWORD size;
    std::string text; /* up to the first NUL */
};

StoredValue ReadValue(HKEY root, const char *path, const char *name)
{
    StoredValue value = {};
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    char data[1024] = "";
    DWORD size = sizeof data - 1;
    value.found = RegQueryValueExA(key, name, NULL, &value.type, reinterpret_cast<BYTE *>(data),
                                   &size) == ERROR_SUCCESS;
    value.size = size;
    value.text = data;
    RegCloseKey(key);
    return value;
}

DWORD ValueCount(HKEY root, const char *path)
{
    HKEY key;
    DWORD count = 0;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, &count, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    return count;
}

/* A REG_SZ whose stored bytes are exactly the text and its terminator. */
void ExpectText(HKEY root, const char *path, const char *name, const std::string &text)
{
    StoredValue value = ReadValue(root, path, name);
    ASSERT_TRUE(value.found) << name;
    EXPECT_EQ((DWORD)REG_SZ, value.type) << name;
    EXPECT_EQ(text.size() + 1, value.size) << name;
    EXPECT_EQ(text, value.text) << name;
}

class RegistryEntries : public testing::Test
{
  protected:
    void SetUp() override
    {
        RemoveKeys();
        lstrcpyA(savedInstallDir, InstallDir);
    }
    void TearDown() override
    {
        RemoveKeys();
        lstrcpyA(InstallDir, savedInstallDir);
    }
    static void RemoveKeys()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, AppKeyPath);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Orvanex");
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKeyPath);
    }
    char savedInstallDir[PathSize];
};

TEST_F(RegistryEntries, WritesTheFourValuesAsWholeStrings)
{
    lstrcpyA(InstallDir, "c:\\Nimbet 2 Alpha");

    WriteRegistryEntries(AppKeyPath, UninstallKeyPath, ProductName, 0);

    ExpectText(HKEY_CURRENT_USER, "Software\\Orvanex\\Nimbet 2 Alpha", "location",
               "c:\\Nimbet 2 Alpha");
    ExpectText(HKEY_CURRENT_USER, "Software\\Orvanex\\Nimbet 2 Alpha", "version", "0.1");
    const char *uninstall =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbet 2 Alpha";
    ExpectText(HKEY_LOCAL_MACHINE, uninstall, "DisplayName", "Nimbet 2 Alpha");
    ExpectText(HKEY_LOCAL_MACHINE, uninstall, "UninstallString",
               "\"c:\\Nimbet 2 Alpha\\unsetup.exe\" 0");
}

TEST_F(RegistryEntries, SecondRunOverwritesInPlaceAndKeepsATrailingBackslash)
{
    lstrcpyA(InstallDir, "d:\\Elsewhere");
    WriteRegistryEntries(AppKeyPath, UninstallKeyPath, "Earlier name", -12);
    ExpectText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "UninstallString",
               "\"d:\\Elsewhere\\unsetup.exe\" -12");

    lstrcpyA(InstallDir, "c:\\games\\");
    WriteRegistryEntries(AppKeyPath, UninstallKeyPath, ProductName, 0);

    ExpectText(HKEY_CURRENT_USER, AppKeyPath, "location", "c:\\games\\");
    ExpectText(HKEY_CURRENT_USER, AppKeyPath, "version", "0.1");
    ExpectText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "DisplayName", "Nimbet 2 Alpha");
    ExpectText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "UninstallString",
               "\"c:\\games\\\\unsetup.exe\" 0");
    EXPECT_EQ(2u, ValueCount(HKEY_CURRENT_USER, AppKeyPath));
    EXPECT_EQ(10u, ValueCount(HKEY_LOCAL_MACHINE, UninstallKeyPath));
}

TEST_F(RegistryEntries, EmptyTextsStillStoreTheirTerminator)
{
    /* Wine, like NT, adds a NUL the caller left out of the size when the next byte
     * is one, which a C string's always is; only an empty text shows the count. */
    InstallDir[0] = '\0';

    WriteRegistryEntries(AppKeyPath, UninstallKeyPath, "", 0);

    ExpectText(HKEY_CURRENT_USER, AppKeyPath, "location", "");
    ExpectText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "DisplayName", "");
    ExpectText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "UninstallString", "\"\\unsetup.exe\" 0");
}

TEST_F(RegistryEntries, ARefusedKeyDoesNotKeepTheOtherFromBeingWritten)
{
    lstrcpyA(InstallDir, "c:\\Nimbet 2 Alpha");
    const std::string overlong = "Software\\" + std::string(300, 'k');
    const char *refused[] = {
        "\\Software\\Orvanex\\Nimbet 2 Alpha", /* a leading backslash: a bad path name */
        overlong.c_str(),                      /* a name longer than a key name may be */
    };
    for (const char *path : refused)
    {
        SCOPED_TRACE(path);
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        {
            HKEY key;
            ASSERT_NE(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                                                     KEY_ALL_ACCESS, NULL, &key, NULL));
        }

        WriteRegistryEntries(path, UninstallKeyPath, ProductName, 0);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, AppKeyPath));
        ExpectText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "DisplayName", "Nimbet 2 Alpha");
        RemoveKeys();

        WriteRegistryEntries(AppKeyPath, path, ProductName, 0);
        ExpectText(HKEY_CURRENT_USER, AppKeyPath, "location", "c:\\Nimbet 2 Alpha");
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
        RemoveKeys();
    }
}

} // namespace
