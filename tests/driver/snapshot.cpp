/*
 * Snapshots of the drives and the registry, shared by the end-to-end tables.
 */
#include "driver/snapshot.h"
#include "driver/stage.h"
#include "support/testing.h"

namespace
{

std::string Describe(const WIN32_FIND_DATAA &found)
{
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return "<dir>";
    return std::to_string(((ULONGLONG)found.nFileSizeHigh << 32) | found.nFileSizeLow) +
           " bytes, " +
           std::to_string(((ULONGLONG)found.ftLastWriteTime.dwHighDateTime << 32) |
                          found.ftLastWriteTime.dwLowDateTime) +
           ", attributes " + std::to_string(found.dwFileAttributes);
}

void SnapshotTree(const std::string &dir, Snapshot *into)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
    {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        {
            /* Wine links the user's Documents, Desktop and the like to the host's
               home directory: outside the drive, and not walked. */
            (*into)[path] = "<link>";
            continue;
        }
        (*into)[path] = Describe(found);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            SnapshotTree(path, into);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void SnapshotKey(HKEY root, const std::string &name, const std::string &path, Snapshot *into)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    (*into)[name] = "<key>";
    for (const auto &value : RegistryValues(root, path.c_str()))
        (*into)[name + "\\:" + value.first] = value.second;
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; i++)
    {
        char subkey[256];
        DWORD size = sizeof subkey;
        if (RegEnumKeyExA(key, i, subkey, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        subkeys.push_back(subkey);
    }
    RegCloseKey(key);
    for (const std::string &subkey : subkeys)
        SnapshotKey(root, name + "\\" + subkey, path.empty() ? subkey : path + "\\" + subkey, into);
}

} // namespace

std::string Lower(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return text;
}

bool IsWithin(const std::string &path, const std::string &dir)
{
    std::string p = Lower(path), d = Lower(dir);
    if (EndsInBackslash(d))
        d.pop_back();
    return p == d || (p.size() > d.size() && p.compare(0, d.size(), d) == 0 && p[d.size()] == '\\');
}

Snapshot TakeSnapshot(const std::vector<std::string> &drives)
{
    Snapshot snapshot;
    SnapshotTree("C:", &snapshot);
    for (const std::string &drive : drives)
        SnapshotTree(drive.substr(0, 2), &snapshot);
    /*
     * All of HKEY_CURRENT_USER (small, and where the shell records what it
     * does for the user), but of HKEY_LOCAL_MACHINE only the uninstall list
     * and the product's own key: the programs name no other key there, and the
     * directory reaches the registry only as value data.
     */
    SnapshotKey(HKEY_CURRENT_USER, "HKCU", "", &snapshot);
    /* Wine's own run-time state, which the folder picker touches the first time. */
    for (auto entry = snapshot.begin(); entry != snapshot.end();)
        entry = entry->first.rfind("HKCU\\Software\\Wine\\", 0) == 0 ? snapshot.erase(entry)
                                                                     : std::next(entry);
    for (const char *key :
         {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "SOFTWARE\\Orvanex"})
        SnapshotKey(HKEY_LOCAL_MACHINE, std::string("HKLM\\") + key, key, &snapshot);
    return snapshot;
}

std::vector<std::string> Changes(const Snapshot &before, const Snapshot &after)
{
    std::vector<std::string> changes;
    for (const auto &entry : after)
    {
        auto old = before.find(entry.first);
        if (old == before.end())
            changes.push_back(entry.first + " (new: " + entry.second + ")");
        else if (old->second != entry.second)
            changes.push_back(entry.first + " (was " + old->second + ", now " + entry.second + ")");
    }
    for (const auto &entry : before)
        if (after.find(entry.first) == after.end())
            changes.push_back(entry.first + " (removed)");
    return changes;
}

std::string PathOf(const std::string &change)
{
    return change.substr(0, change.find(" ("));
}
