/*
 * The setup dialog as the template defines it: styles and layout read from the
 * resource itself, the live controls created from it, the icon and version resources,
 * and the status line written through ShowStatus.
 */
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "setup/dialog.h"
#include "setup/manifest.h"
#include "setup/status.h"
#include "support/testing.h"

namespace
{

struct Control
{
    int id;
    const char *className; /* as the template names it: a predefined class by its ordinal */
    const char *liveClass; /* as the window manager reports it */
    const char *text;
    DWORD style; /* styles besides WS_CHILD */
    short x, y, cx, cy;
};

const Control expectedControls[] = {
    {CTL_STARTMENU, "#128", "Button", "Add Nimbet 2 Alpha to the Start menu",
     WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP, 20, 72, 225, 15},
    {CTL_PROMPT, "#130", "Static",
     "Enter the directory where you would like Nimbet 2 Alpha installed:",
     WS_VISIBLE | SS_LEFT | WS_GROUP, 20, 16, 225, 15},
    {CTL_DIRECTORY, "#129", "Edit", "",
     WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_OEMCONVERT, 20, 29, 190, 12},
    {CTL_BROWSE, "#128", "Button", "Browse for directory...",
     WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 20, 44, 80, 14},
    {CTL_STATUS, "#130", "Static", "", WS_VISIBLE | SS_LEFT | WS_GROUP, 20, 104, 190, 16},
    {CTL_DONE, "#130", "Static", "Setup has completed successfully.", SS_LEFT | WS_GROUP, 70, 40,
     180, 38},
    {CTL_EXIT, "#128", "Button", "Exit", BS_DEFPUSHBUTTON | WS_TABSTOP, 105, 125, 50, 14},
    {CTL_CONTINUE, "#128", "Button", "Continue", WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 70,
     125, 50, 14},
    {CTL_CANCEL, "#128", "Button", "Cancel", WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 140, 125, 50,
     14},
};
const int controlCount = sizeof expectedControls / sizeof expectedControls[0];

/* Reads a DLGTEMPLATE and its items, which are laid out as packed words. */
class TemplateReader
{
  public:
    explicit TemplateReader(const BYTE *data) : p_(data), start_(data)
    {
    }
    WORD Word()
    {
        WORD w = (WORD)(p_[0] | (p_[1] << 8));
        p_ += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | ((DWORD)Word() << 16);
    }
    /* A string or ordinal field: ordinals come back as "#n". */
    std::string NameOrOrdinal()
    {
        if (p_[0] == 0xFF && p_[1] == 0xFF)
        {
            p_ += 2;
            return "#" + std::to_string(Word());
        }
        return String();
    }
    std::string String()
    {
        std::string s;
        for (WORD c = Word(); c != 0; c = Word())
            s += (char)c;
        return s;
    }
    void AlignDword()
    {
        while ((p_ - start_) % 4)
            p_++;
    }
    void Skip(int bytes)
    {
        p_ += bytes;
    }

  private:
    const BYTE *p_;
    const BYTE *start_;
};

const BYTE *LoadTemplate(WORD language)
{
    HRSRC found = FindResourceExA(NULL, RT_DIALOG, "DLG_SETUP", language);
    return found ? static_cast<const BYTE *>(LockResource(LoadResource(NULL, found))) : nullptr;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

BOOL CALLBACK CountLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR context)
{
    reinterpret_cast<std::vector<WORD> *>(context)->push_back(language);
    return TRUE;
}

} // namespace

TEST(DialogTemplate, IsEnglishUnitedStatesOnly)
{
    std::vector<WORD> languages;
    EnumResourceLanguagesA(NULL, RT_DIALOG, "DLG_SETUP", CountLanguage, (LONG_PTR)&languages);
    ASSERT_EQ(1u, languages.size());
    EXPECT_EQ(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), languages[0]);
}

TEST(DialogTemplate, HeaderAndControlsAreAsDesigned)
{
    const BYTE *data = LoadTemplate(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(nullptr, data);
    TemplateReader in(data);
    EXPECT_EQ((DWORD)(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
              in.Dword());
    EXPECT_EQ(0u, in.Dword()) << "extended styles";
    ASSERT_EQ(controlCount, in.Word());
    EXPECT_EQ(5, (short)in.Word());
    EXPECT_EQ(50, (short)in.Word());
    EXPECT_EQ(260, (short)in.Word());
    EXPECT_EQ(150, (short)in.Word());
    EXPECT_EQ("", in.NameOrOrdinal()) << "menu";
    EXPECT_EQ("", in.NameOrOrdinal()) << "class";
    EXPECT_EQ(SetupTitle, in.String());
    EXPECT_EQ(8, in.Word());
    EXPECT_EQ("Helv", in.String());

    for (const Control &want : expectedControls)
    {
        in.AlignDword();
        DWORD style = in.Dword();
        EXPECT_EQ(0u, in.Dword()) << "extended styles of " << want.id;
        short x = (short)in.Word(), y = (short)in.Word(), cx = (short)in.Word(),
              cy = (short)in.Word();
        EXPECT_EQ(want.id, in.Word());
        std::string className = in.NameOrOrdinal();
        std::string text = in.NameOrOrdinal();
        in.Skip(in.Word());

        SCOPED_TRACE(want.id);
        EXPECT_EQ(want.style | WS_CHILD, style);
        EXPECT_EQ(0, lstrcmpiA(want.className, className.c_str())) << className;
        EXPECT_EQ(want.text, text);
        EXPECT_EQ(want.x, x);
        EXPECT_EQ(want.y, y);
        EXPECT_EQ(want.cx, cx);
        EXPECT_EQ(want.cy, cy);
    }
}

TEST(DialogTemplate, CreatesTheControlsInTabOrderWithTheirRectangles)
{
    HWND dialog = CreateSetupDialog(PlainDialogProc);
    ASSERT_NE(nullptr, dialog);

    char caption[64];
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(SetupTitle, caption);

    HWND child = GetWindow(dialog, GW_CHILD);
    for (const Control &want : expectedControls)
    {
        SCOPED_TRACE(want.id);
        ASSERT_NE(nullptr, child);
        EXPECT_EQ(want.id, GetDlgCtrlID(child));
        char className[32];
        GetClassNameA(child, className, sizeof className);
        EXPECT_EQ(0, lstrcmpiA(want.liveClass, className)) << className;
        EXPECT_EQ(want.text, ControlText(dialog, want.id));
        EXPECT_EQ((want.style & WS_VISIBLE) != 0, IsWindowVisible(child) != 0);

        /* The dialog manager converts position and size separately, as MapDialogRect does per
         * field. */
        RECT expected = {want.x, want.y, want.cx, want.cy};
        MapDialogRect(dialog, &expected);
        RECT actual;
        GetWindowRect(child, &actual);
        MapWindowPoints(NULL, dialog, reinterpret_cast<POINT *>(&actual), 2);
        EXPECT_EQ(expected.left, actual.left);
        EXPECT_EQ(expected.top, actual.top);
        EXPECT_EQ(expected.right, actual.right - actual.left) << "width";
        EXPECT_EQ(expected.bottom, actual.bottom - actual.top) << "height";
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(nullptr, child) << "no controls beyond the nine";
    DestroyWindow(dialog);
}

TEST(SetupIcon, IsOne32By32SixteenColourImage)
{
    HRSRC group = FindResourceA(NULL, "SETUP_ICON", RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    const BYTE *dir = static_cast<const BYTE *>(LockResource(LoadResource(NULL, group)));
    ASSERT_EQ(6u + 14u, SizeofResource(NULL, group));
    EXPECT_EQ(1, dir[2] | (dir[3] << 8)) << "type: icon";
    EXPECT_EQ(1, dir[4] | (dir[5] << 8)) << "one image";
    const BYTE *entry = dir + 6;
    EXPECT_EQ(32, entry[0]);
    EXPECT_EQ(32, entry[1]);
    EXPECT_EQ(16, entry[2]);
    EXPECT_EQ(4, entry[6] | (entry[7] << 8)) << "bits per pixel";
    int imageId = entry[12] | (entry[13] << 8);
    EXPECT_EQ(1, imageId);

    HRSRC image = FindResourceA(NULL, MAKEINTRESOURCEA(imageId), RT_ICON);
    ASSERT_NE(nullptr, image);
    BYTE *bits = static_cast<BYTE *>(LockResource(LoadResource(NULL, image)));
    const BITMAPINFOHEADER *header = reinterpret_cast<const BITMAPINFOHEADER *>(bits);
    EXPECT_EQ(32, header->biWidth);
    EXPECT_EQ(64, header->biHeight) << "image and mask";
    EXPECT_EQ(4, header->biBitCount);
    HICON icon =
        CreateIconFromResourceEx(bits, SizeofResource(NULL, image), TRUE, 0x00030000, 32, 32, 0);
    EXPECT_NE(nullptr, icon);
    DestroyIcon(icon);
}

TEST(VersionResource, NamesTheMakerAndTheProductInEnglishUnitedStates)
{
    std::string setup = BuiltFile("setup.exe");
    std::vector<char> block(GetFileVersionInfoSizeA(setup.c_str(), NULL) + 1);
    ASSERT_TRUE(GetFileVersionInfoA(setup.c_str(), 0, block.size(), block.data())) << setup;
    DWORD *value;
    UINT length;
    ASSERT_TRUE(
        VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void **)&value, &length));
    EXPECT_EQ(MAKELONG(0x0409, 1252), *value);
    const char *const strings[][2] = {
        {"CompanyName", "Orvanex"},        {"FileDescription", "Nimbet 2 Alpha Setup"},
        {"ProductName", "Nimbet 2 Alpha"}, {"FileVersion", "0.1"},
        {"ProductVersion", "0.1"},         {"InternalName", "setup"},
        {"OriginalFilename", "setup.exe"}};
    for (const auto &row : strings)
    {
        char *text = NULL;
        VerQueryValueA(block.data(), (std::string("\\StringFileInfo\\040904E4\\") + row[0]).c_str(),
                       (void **)&text, &length);
        EXPECT_STREQ(row[1], text) << row[0];
    }
}

TEST(ShowStatus, WritesTheFormattedTextIntoTheStatusLine)
{
    HWND dialog = CreateSetupDialog(PlainDialogProc);
    ASSERT_NE(nullptr, dialog);

    ShowStatus(dialog, "Copying files... %d%% completed", 12);
    EXPECT_EQ("Copying files... 12% completed", ControlText(dialog, CTL_STATUS));

    ShowStatus(dialog, "");
    EXPECT_EQ("", ControlText(dialog, CTL_STATUS));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, CTL_STATUS))) << "still present when empty";

    /* A text longer than the status buffer is cut, not overrun. */
    ShowStatus(dialog, "%s", std::string(300, 'x').c_str());
    EXPECT_EQ(std::string(StatusSize - 1, 'x'), ControlText(dialog, CTL_STATUS));
    DestroyWindow(dialog);
}
