/*
 * The setup's own constants and its digest table.
 */
#include "setup/manifest.h"

const char SetupTitle[] = PRODUCT_NAME " Setup";
const char DefaultInstallDir[] = "c:\\" PRODUCT_NAME;

/*
 * In read-only data, which the signature covers; filled only in a
 * distribution's copy, after the link. This file is therefore compiled
 * without the link-time optimiser (CMakeLists.txt): seeing the unfilled
 * values, it would fold every comparison with the table away, and a stamped
 * setup would trust any file.
 */
const DigestTable Digests = {DIGEST_TABLE_MARKER, 0, {}};

/* The script writes "filled" right after the marker's terminator. */
static_assert(sizeof DIGEST_TABLE_MARKER == sizeof DigestTable::marker,
              "the marker fills its field, terminator included");
