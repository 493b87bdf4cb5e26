/*
 * The files beside setup.exe are whatever the user's copy left there: a zip
 * opened without extracting, a download cut short, a CD copied by hand. Each
 * is looked at before anything is made, so that such a run ends with nothing
 * created, and, where the distribution recorded digests, every copy installed
 * is read back and compared, so that a damaged or altered file is never left
 * in place of the product's.
 */
#include <windows.h>
#include "install/digest.h"
#include "install/paths.h"
#include "install/sourcecheck.h"
#include "setup/dialog.h"
#include "setup/format.h"
#include "setup/log.h"
#include "setup/manifest.h"
#include "setup/state.h"

const char DamagedFileText[] = "%s in the setup folder is damaged. Copy the setup files again.";

namespace
{

enum
{
    /* The longest message with a file's name, terminator included. */
    CheckMessageSize = 160,
    /* Files are read through one buffer outside the stack, which holds no frame over a page. */
    ReadBufferBytes = 65536
};

BYTE ReadBuffer[ReadBufferBytes];

const char MissingFileText[] = "Could not find %s in the setup folder. If you opened setup.exe "
                               "inside a zip file, extract all the files first.";
const char UnreadableFileText[] = "Could not read %s in the setup folder.";

HANDLE OpenToRead(const char *path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        LogFailure("CreateFileA", path, NULL, 0);
    return file;
}

/* The digest of the open file, read from where it stands to its end; 0 when it cannot be read. */
int DigestOfFile(HANDLE file, const char *path, BYTE *result)
{
    Digest digest;
    BeginDigest(&digest);
    for (;;)
    {
        DWORD read = 0;
        if (!ReadFile(file, ReadBuffer, ReadBufferBytes, &read, NULL))
            return LogFailure("ReadFile", path, NULL, 0);
        if (read == 0)
            break;
        AddToDigest(&digest, ReadBuffer, read);
    }
    EndDigest(&digest, result);
    return 1;
}

/* Whether the open file has row index's recorded size (whole: and digest). */
int HasRecord(HANDLE file, const char *path, int index, int whole)
{
    const FileRecord &record = Digests.files[index];
    BY_HANDLE_FILE_INFORMATION information;
    BYTE result[DigestBytes];
    if (!GetFileInformationByHandle(file, &information))
        return LogFailure("GetFileInformationByHandle", path, NULL, 0);
    int matches = information.nFileSizeLow == record.size && information.nFileSizeHigh == 0;
    if (matches && whole)
    {
        if (!DigestOfFile(file, path, result))
            return 0;
        for (int i = 0; i < DigestBytes; i++)
            matches &= result[i] == record.digest[i];
    }
    if (!matches)
        Log("%s does not match the table", path);
    return matches;
}

/*
 * Row index's file in SourceDir: there, a file, readable and, with digests, of
 * its size (whole: and digest). Returns 1, or 0 with the message formed.
 */
int CheckSourceFile(int index, int whole, char *message)
{
    const char *name = ProductFiles[index];
    const char *failure = MissingFileText;
    char path[PathSize];
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (FormPath(path, SourceDir, name))
    {
        attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            LogFailure("GetFileAttributesA", path, NULL, 0);
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        failure = UnreadableFileText;
        HANDLE file = OpenToRead(path);
        if (file != INVALID_HANDLE_VALUE)
        {
            failure = DamagedFileText;
            int matches = !Digests.filled || HasRecord(file, path, index, whole);
            CloseHandle(file);
            if (matches)
                return 1;
        }
    }
    FormatText(message, CheckMessageSize, failure, name);
    return 0;
}

/* The first file that fails, told to the user; 1 when none does. */
int CheckAll(HWND dialog, int whole)
{
    char message[CheckMessageSize];
    for (int index = 0; index < ProductFileCount; index++)
    {
        if (!CheckSourceFile(index, whole, message))
        {
            TellUser(dialog, message);
            return 0;
        }
    }
    return 1;
}

} // namespace

int CheckSourceFiles(HWND dialog)
{
    return CheckAll(dialog, 0);
}

int MatchesRecord(const char *path, int index)
{
    if (!Digests.filled)
        return 1;
    HANDLE file = OpenToRead(path);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    int matches = HasRecord(file, path, index, 1);
    CloseHandle(file);
    return matches;
}

int VerifySetupFiles(void)
{
    if (!Digests.filled)
        Log("No digest table: checked only that the files are there");
    if (!CheckAll(NULL, 1))
        return 0;
    TellUser(NULL, "All files of the setup are intact.");
    return 1;
}
