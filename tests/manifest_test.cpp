/*
 * The product's fixed facts. These strings reach the registry, the Start menu
 * and the user's screen byte for byte, so a slip in case or spelling is a fault.
 */
#include <gtest/gtest.h>
#include "setup/manifest.h"

TEST(Manifest, FileTableHoldsTheEightNamesInCopyOrder)
{
    const char *expected[] = {"Nim2Alph.exe", "tour.kvr",    "calm.mid",    "nimbet2.mid",
                              "Notes.doc",    "options.exe", "Unsetup.exe", "Unsetup.bat"};
    ASSERT_EQ(8, ProductFileCount);
    for (int i = 0; i < ProductFileCount; i++)
        EXPECT_STREQ(expected[i], ProductFiles[i]) << "row " << i;
    EXPECT_STREQ("Nim2Alph.exe", ProductFiles[MainProgramFile]);
    EXPECT_STREQ("Notes.doc", ProductFiles[ReadmeFile]);
    EXPECT_STREQ("options.exe", ProductFiles[ConfigurationFile]);
    EXPECT_STREQ("Unsetup.exe", ProductFiles[UninstallerFile]);
}

TEST(Manifest, ProductTextsAreExact)
{
    EXPECT_STREQ("Nimbet 2 Alpha Setup", SetupTitle);
    EXPECT_STREQ("Nimbet 2 Alpha", ProductName);
    EXPECT_STREQ("c:\\Nimbet 2 Alpha", DefaultInstallDir);
    EXPECT_STREQ("Software\\Orvanex\\Nimbet 2 Alpha", AppKeyPath);
    EXPECT_STREQ("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbet 2 Alpha",
                 UninstallKeyPath);
    EXPECT_STREQ("0.1", ProductVersion);
    EXPECT_STREQ("Orvanex", Publisher);
    EXPECT_EQ(4000000L, RequiredBytes);
}
