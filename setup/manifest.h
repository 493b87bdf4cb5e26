/*
 * The install manifest: what the setup itself says and records beyond the
 * product's facts (base/product.h), namely its title, where it installs by
 * default, and the digest table of the files beside it.
 */
#ifndef SETUP_MANIFEST_H
#define SETUP_MANIFEST_H

#include "base/product.h"
#include "install/digesttable.h"

extern const char SetupTitle[];
extern const char DefaultInstallDir[];

/* Defined in manifest.cpp alone: no other module may take its unfilled values as constants. */
extern const DigestTable Digests;

#endif
