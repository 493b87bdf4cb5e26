# Sourced by the release scripts: the product's facts from resources/product.facts,
# the one place the programs, their resources and these scripts all take them
# from, so that a release cannot disagree with the program.
facts="$(dirname "$0")/../resources/product.facts"
fact() { sed -n "s/^$1=//p" "$facts"; }
product_name=$(fact PRODUCT_NAME)
product_publisher=$(fact PRODUCT_PUBLISHER)
product_version=$(fact PRODUCT_VERSION)
required_bytes=$(fact PRODUCT_REQUIRED_BYTES)
product_files=$(fact PRODUCT_FILES | tr ' ' '\n')
file_count=$(echo "$product_files" | grep -c .)
[ -n "$product_name" ] && [ -n "$product_publisher" ] && [ -n "$product_version" ] && [ -n "$required_bytes" ] &&
    [ "$file_count" -gt 0 ] ||
    { echo "release: cannot read the product's name, publisher, version, size or files from $facts" >&2; exit 1; }
