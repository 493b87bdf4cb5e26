/*
 * What the drives and the registry hold, entry by entry: a file by its size,
 * last write time and attributes, a directory by its existence (its time
 * changes whenever an entry is made in it), a registry value by its type and
 * data. Two snapshots compared show whatever a run changed.
 */
#ifndef TESTS_DRIVER_SNAPSHOT_H
#define TESTS_DRIVER_SNAPSHOT_H

#include <map>
#include <string>
#include <vector>

typedef std::map<std::string, std::string> Snapshot;

/* C: and the drives given ("U:\\"), all of HKEY_CURRENT_USER but Wine's own state, and of
 * HKEY_LOCAL_MACHINE the list of uninstall entries and the publisher's key. */
Snapshot TakeSnapshot(const std::vector<std::string> &drives);

/* Every path whose entry differs between the two snapshots, with both sides; and the path of
 * one such change. */
std::vector<std::string> Changes(const Snapshot &before, const Snapshot &after);
std::string PathOf(const std::string &change);

/* ASCII letters in lower case; and whether path is dir itself or lies below it (ASCII case
 * ignored, as the drive does). */
std::string Lower(std::string text);
bool IsWithin(const std::string &path, const std::string &dir);

#endif
