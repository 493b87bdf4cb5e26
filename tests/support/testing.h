/*
 * Helpers shared by the test programs: scratch directories on Wine's C: drive,
 * whole-file reads and writes, and a catcher that reads and dismisses the real
 * message boxes the code under test shows on this thread.
 */
#ifndef TESTS_SUPPORT_TESTING_H
#define TESTS_SUPPORT_TESTING_H

#include <windows.h>
#include <map>
#include <string>
#include <vector>

/* A fresh, empty directory C:\tests\<name> (removed first if it exists). */
std::string FreshDirectory(const std::string &name);
void RemoveTree(const std::string &path);
bool FileExists(const std::string &path);
bool DirectoryExists(const std::string &path);
std::string ReadFileBytes(const std::string &path);
void WriteFileBytes(const std::string &path, const std::string &bytes);

/* One message box as the user saw it. */
struct SeenMessageBox
{
    std::string caption;
    std::string text;
    HWND owner;
    std::vector<std::string> buttons;
    bool iconShown;
};

/*
 * While alive, every message box shown on this thread is recorded and answered
 * with its first button (OK for the setup's boxes) as soon as it appears.
 */
class MessageBoxCatcher
{
  public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher &) = delete;
    MessageBoxCatcher &operator=(const MessageBoxCatcher &) = delete;
    const std::vector<SeenMessageBox> &Seen() const;

  private:
    HHOOK hook_;
};

/* A file in the Windows directory, such as SETUP.INI, or in the system directory. */
std::string WindowsDirectoryFile(const char *name);
std::string SystemDirectoryFile(const char *name);

/* Whether the registry key exists, and a REG_SZ value of it ("<no key>", "<no value>" if not). */
bool KeyExists(HKEY root, const char *path);
/* Every value of a key, by name, as "<type>:<data bytes>"; empty when there is no key. */
std::map<std::string, std::string> RegistryValues(HKEY root, const char *path);
std::string RegistryText(HKEY root, const char *path, const char *name);

/* The product's group folder under the user's Programs folder, where the shell's links go. */
std::string StartMenuGroupFolder();

/* A shell link as the shell itself reads it back (COM must be initialised). */
struct ShellLink
{
    bool loaded;
    std::string target;
    std::string arguments;
    std::string workingDirectory;
};
ShellLink ReadShellLink(const std::string &path);

/* A file of the build tree by its path below the build directory, e.g. "setup.exe". */
std::string BuiltFile(const std::string &relativePath);

/* The dialog "DLG_SETUP" created modelessly from this program's resources. */
HWND CreateSetupDialog(DLGPROC procedure);

/* Text of a dialog control, read through the control itself. */
std::string ControlText(HWND dialog, int id);

#endif
