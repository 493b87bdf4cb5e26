/*
 * Test helpers over the real platform: files and directories on Wine's drives
 * and message boxes caught through a CBT hook, so tests observe what a user
 * would see instead of replacing the calls that show it.
 */
#include <objbase.h>
#include <shlobj.h>
#include "support/testing.h"

namespace
{

std::vector<SeenMessageBox> *seenBoxes;

bool IsSetupDialog(HWND window)
{
    /* The setup's own dialog is also a #32770; only message boxes are caught. */
    return GetDlgItem(window, 1000) != NULL && GetDlgItem(window, 1003) != NULL;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM context)
{
    SeenMessageBox *box = reinterpret_cast<SeenMessageBox *>(context);
    char className[64] = "";
    char text[1024] = "";
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(className, "Button") == 0)
        box->buttons.push_back(text);
    else if (lstrcmpiA(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
    {
        /* Wine keeps the icon control visible but empty when no icon was asked for. */
        bool holdsIcon = SendMessageA(child, STM_GETICON, 0, 0) != 0;
        box->iconShown = box->iconShown || ((style & WS_VISIBLE) != 0 && holdsIcon);
    }
    else if (lstrcmpiA(className, "Static") == 0 && text[0] != '\0')
        box->text = text;
    return TRUE;
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && seenBoxes)
    {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = "";
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0 && !IsSetupDialog(window))
        {
            SeenMessageBox box = {};
            char caption[256] = "";
            GetWindowTextA(window, caption, sizeof caption);
            box.caption = caption;
            box.owner = GetWindow(window, GW_OWNER);
            EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&box));
            seenBoxes->push_back(box);
            /* Answer it as a user pressing the first button would. */
            HWND first = FindWindowExA(window, NULL, "Button", NULL);
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(first), BN_CLICKED),
                         reinterpret_cast<LPARAM>(first));
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

} // namespace

MessageBoxCatcher::MessageBoxCatcher()
{
    seenBoxes = new std::vector<SeenMessageBox>();
    hook_ = SetWindowsHookExA(WH_CBT, CbtHook, NULL, GetCurrentThreadId());
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    UnhookWindowsHookEx(hook_);
    delete seenBoxes;
    seenBoxes = nullptr;
}

const std::vector<SeenMessageBox> &MessageBoxCatcher::Seen() const
{
    return *seenBoxes;
}

void RemoveTree(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                RemoveTree(path + "\\" + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string FreshDirectory(const std::string &name)
{
    CreateDirectoryA("C:\\tests", NULL);
    std::string path = "C:\\tests\\" + name;
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), NULL);
    return path;
}

bool FileExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string &path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, NULL) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(file);
}

std::string StartMenuGroupFolder()
{
    char programs[MAX_PATH] = "";
    SHGetSpecialFolderPathA(NULL, programs, CSIDL_PROGRAMS, FALSE);
    return std::string(programs) + "\\Nimbet 2 Alpha";
}

ShellLink ReadShellLink(const std::string &path)
{
    ShellLink link = {};
    IShellLinkA *shellLink = NULL;
    IPersistFile *file = NULL;
    WCHAR widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void **>(&shellLink))))
        return link;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))))
    {
        link.loaded = SUCCEEDED(file->Load(widePath, STGM_READ));
        file->Release();
    }
    char text[MAX_PATH] = "";
    shellLink->GetPath(text, sizeof text, NULL, SLGP_RAWPATH);
    link.target = text;
    text[0] = '\0';
    shellLink->GetArguments(text, sizeof text);
    link.arguments = text;
    text[0] = '\0';
    shellLink->GetWorkingDirectory(text, sizeof text);
    link.workingDirectory = text;
    shellLink->Release();
    return link;
}

std::string BuiltFile(const std::string &relativePath)
{
    /* The test programs live in the build directory's tests folder. */
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string dir = path;
    dir.erase(dir.find_last_of('\\'));
    dir.erase(dir.find_last_of('\\'));
    return dir + "\\" + relativePath;
}

namespace
{

std::string FileIn(UINT(WINAPI *getDirectory)(LPSTR, UINT), const char *name)
{
    char directory[MAX_PATH] = "";
    getDirectory(directory, sizeof directory);
    return std::string(directory) + "\\" + name;
}

} // namespace

std::string WindowsDirectoryFile(const char *name)
{
    return FileIn(GetWindowsDirectoryA, name);
}

std::string SystemDirectoryFile(const char *name)
{
    return FileIn(GetSystemDirectoryA, name);
}

bool KeyExists(HKEY root, const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::map<std::string, std::string> RegistryValues(HKEY root, const char *path)
{
    std::map<std::string, std::string> values;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    char name[16384];
    std::vector<BYTE> data(65536);
    for (DWORD i = 0;; i++)
    {
        DWORD nameSize = sizeof name, dataSize = (DWORD)data.size(), type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS)
            break;
        values[name] =
            std::to_string(type) + ":" + std::string((const char *)data.data(), dataSize);
    }
    RegCloseKey(key);
    return values;
}

std::string RegistryText(HKEY root, const char *path, const char *name)
{
    char data[1024] = "";
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    LONG result = RegQueryValueExA(key, name, NULL, &type, (BYTE *)data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ)
        return "<no value>";
    return data;
}

HWND CreateSetupDialog(DLGPROC procedure)
{
    return CreateDialogParamA(GetModuleHandleA(NULL), "DLG_SETUP", NULL, procedure, 0);
}

std::string ControlText(HWND dialog, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}
