/*
 * The product's constants and its file table. Every other module takes the
 * product's names, keys and files from here, so changing the product is a
 * change to this file alone.
 */
#include "manifest.h"

const char SetupTitle[] = "Nimbet 2 Alpha Setup";
const char ProductName[] = "Nimbet 2 Alpha";
const char DefaultInstallDir[] = "c:\\Nimbet 2 Alpha";
const char AppKeyPath[] = "Software\\Orvanex\\Nimbet 2 Alpha";
const char UninstallKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Nimbet 2 Alpha";
const char ProductVersion[] = "0.1";
const char Publisher[] = "Orvanex";

/* The Start menu refers to rows 0, 4, 5 and 6 by index: keep the order. */
const char *const ProductFiles[ProductFileCount] = {
    "Nim2Alph.exe", "tour.kvr",    "calm.mid",    "nimbet2.mid",
    "Notes.doc",    "options.exe", "Unsetup.exe", "Unsetup.bat",
};
