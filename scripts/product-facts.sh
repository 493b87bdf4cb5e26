# Sourced by the release scripts: the product's facts read from the setup's own
# sources, so that a release cannot disagree with the program. The name and the
# version (and the publisher) come from the #defines the version resource reads (setup/manifest.h),
# the file names from the file table (setup/manifest.cpp), in copy order.
manifest="$(dirname "$0")/../setup/manifest"
product_name=$(sed -n 's/^#define PRODUCT_NAME *"\(.*\)"$/\1/p' "$manifest.h")
product_publisher=$(sed -n 's/^#define PRODUCT_PUBLISHER *"\(.*\)"$/\1/p' "$manifest.h")
product_version=$(sed -n 's/^#define PRODUCT_VERSION *"\(.*\)"$/\1/p' "$manifest.h")
required_bytes=$(sed -n 's/^const long RequiredBytes = \([0-9]*\)L;$/\1/p' "$manifest.h")
file_count=$(sed -n 's/^ *ProductFileCount = \([0-9]*\)$/\1/p' "$manifest.h")
product_files=$(sed -n '/ProductFiles\[ProductFileCount\] = {/,/};/p' "$manifest.cpp" | grep -o '"[^"]*"' | tr -d '"')
[ -n "$product_name" ] && [ -n "$product_publisher" ] && [ -n "$product_version" ] && [ -n "$required_bytes" ] &&
    [ "$(echo "$product_files" | grep -c .)" = "$file_count" ] ||
    { echo "release: cannot read the product's name, publisher, version, size or files from setup/manifest.h and .cpp" >&2; exit 1; }
