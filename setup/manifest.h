/*
 * The fixed facts of the one product this setup installs: its names, where it
 * goes by default, the registry keys it is recorded under, the space it needs
 * and the ordered list of its files. Nothing here is read at run time. The
 * version resource takes the names and the version from the #defines, the only
 * part the resource compiler sees, so the file's properties and the program's
 * texts cannot drift apart.
 */
#ifndef SETUP_MANIFEST_H
#define SETUP_MANIFEST_H

#define PRODUCT_PUBLISHER "Orvanex"
#define PRODUCT_NAME      "Nimbet 2 Alpha"
#define PRODUCT_VERSION   "0.1"
/* The same version as four numbers, for the resource's fixed part. */
#define PRODUCT_VERSION_NUMBERS 0, 1, 0, 0

#ifndef RC_INVOKED
extern const char SetupTitle[];
extern const char ProductName[];
extern const char Publisher[];
extern const char DefaultInstallDir[];
extern const char AppKeyPath[];
extern const char UninstallKeyPath[];
extern const char ProductVersion[];

/* Decimal bytes, not 4 MiB. */
const long RequiredBytes = 4000000L;

/* The copy progress divides by this count; the table holds exactly this many names. */
enum
{
    ProductFileCount = 8
};

/* Rows of the file table that the Start menu items point at. */
enum
{
    MainProgramFile = 0,
    ReadmeFile = 4,
    ConfigurationFile = 5,
    UninstallerFile = 6
};

/* Bare file names, the same at the source and the destination, in copy order. */
extern const char *const ProductFiles[ProductFileCount];

/* Bytes of a file's digest (BLAKE2s-256, install/digest.h). */
enum
{
    DigestBytes = 32
};

/* What the table records of one file, in the same row as its name. */
struct FileRecord
{
    unsigned long size;
    unsigned char digest[DigestBytes];
};

/*
 * The size and digest of each file laid out beside setup.exe, written into a
 * copy of the built program by scripts/stamp-digests.pl, which finds the table
 * by its marker. The signature then covers them. The build's own setup.exe has
 * the table unfilled: such a setup checks only that each file is there.
 * Little-endian words, no padding: the script writes the layout byte for byte.
 */
struct DigestTable
{
    char marker[16];      /* DIGEST_TABLE_MARKER, terminator included */
    unsigned long filled; /* 1 once the rows are written */
    FileRecord files[ProductFileCount];
};

#define DIGEST_TABLE_MARKER "Nimbet digests:"

/* Defined in manifest.cpp alone: no other module may take its unfilled values as constants. */
extern const DigestTable Digests;
#endif

#endif
