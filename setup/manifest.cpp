/*
 * The product's constants and its file table. Every other module takes the
 * product's names, keys and files from here, so changing the product is a
 * change to this file alone.
 */
#include "manifest.h"

const char SetupTitle[] = PRODUCT_NAME " Setup";
const char ProductName[] = PRODUCT_NAME;
const char Publisher[] = PRODUCT_PUBLISHER;
const char DefaultInstallDir[] = "c:\\" PRODUCT_NAME;
const char AppKeyPath[] = "Software\\" PRODUCT_PUBLISHER "\\" PRODUCT_NAME;
const char UninstallKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" PRODUCT_NAME;
const char ProductVersion[] = PRODUCT_VERSION;

/* The Start menu refers to rows 0, 4, 5 and 6 by index: keep the order. */
const char *const ProductFiles[ProductFileCount] = {
    "Nim2Alph.exe", "tour.kvr",    "calm.mid",    "nimbet2.mid",
    "Notes.doc",    "options.exe", "Unsetup.exe", "Unsetup.bat",
};

/* In read-only data, which the signature covers; filled only in a distribution's copy. */
const DigestTable Digests = {DIGEST_TABLE_MARKER, 0, {}};
