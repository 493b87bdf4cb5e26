/*
 * The product's texts and file table, each built from the one definition of
 * the product's facts.
 */
#include "base/product.h"

const char ProductName[] = PRODUCT_NAME;
const char Publisher[] = PRODUCT_PUBLISHER;
const char ProductVersion[] = PRODUCT_VERSION;
const char AppKeyPath[] = "Software\\" PRODUCT_PUBLISHER "\\" PRODUCT_NAME;
const char UninstallKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" PRODUCT_NAME;

const char *const ProductFiles[ProductFileCount] = {PRODUCT_FILES};
