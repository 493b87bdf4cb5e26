/*
 * The facts of the one product both programs serve: its names, the registry
 * keys it is recorded under, the space it needs and the ordered list of its
 * files. They come from resources/product.facts (through productfacts.h, which
 * the version resources read too), so a program, its resources and the
 * release scripts cannot disagree. Nothing here is read at run time.
 */
#ifndef BASE_PRODUCT_H
#define BASE_PRODUCT_H

#include "productfacts.h"

#ifndef RC_INVOKED
extern const char ProductName[];
extern const char Publisher[];
extern const char ProductVersion[];
extern const char AppKeyPath[];       /* per user: where the product went, which version */
extern const char UninstallKeyPath[]; /* the entry in the list of installed programs */

/* Decimal bytes, not 4 MiB. */
const long RequiredBytes = PRODUCT_REQUIRED_BYTES;

/* The copy progress divides by this count; the table holds exactly this many names. */
enum
{
    ProductFileCount = PRODUCT_FILE_COUNT
};

/* Rows of the file table that the Start menu items and the uninstall entry name. */
enum
{
    MainProgramFile = 0,
    ReadmeFile = 4,
    ConfigurationFile = 5,
    UninstallerFile = 6,
    UninstallerBatchFile = 7
};

/* Bare file names, the same at the source and the destination, in copy order. */
extern const char *const ProductFiles[ProductFileCount];
#endif

#endif
