# Reads resources/product.facts into CMake variables of the same names
# (PRODUCT_FILES as a list) and writes productfacts.h, their C and resource
# script form, into the build tree's generated/ folder. Included by the top
# CMakeLists.txt; a change to the facts reconfigures.
set(PRODUCT_FACTS ${CMAKE_SOURCE_DIR}/resources/product.facts)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PRODUCT_FACTS})
file(STRINGS ${PRODUCT_FACTS} fact_lines REGEX "^[A-Z_]+=")
foreach(line IN LISTS fact_lines)
    string(REGEX MATCH "^([A-Z_]+)=(.*)$" matched "${line}")
    set(fact_name ${CMAKE_MATCH_1})
    set(fact_value "${CMAKE_MATCH_2}")
    if(fact_value MATCHES "[\"\\\\]")
        message(FATAL_ERROR "${PRODUCT_FACTS}: ${fact_name} holds a quote or a backslash")
    endif()
    set(${fact_name} "${fact_value}")
endforeach()
foreach(fact PRODUCT_NAME PRODUCT_SHORT_NAME PRODUCT_PUBLISHER PRODUCT_VERSION
        PRODUCT_VERSION_NUMBERS PRODUCT_REQUIRED_BYTES PRODUCT_FILES DIGEST_TABLE_MARKER)
    if("${${fact}}" STREQUAL "")
        message(FATAL_ERROR "${PRODUCT_FACTS} gives no ${fact}")
    endif()
endforeach()
separate_arguments(PRODUCT_FILES UNIX_COMMAND "${PRODUCT_FILES}")
list(LENGTH PRODUCT_FILES PRODUCT_FILE_COUNT)
list(JOIN PRODUCT_FILES "\", \"" quoted_files)
string(REPLACE "," ", " version_numbers "${PRODUCT_VERSION_NUMBERS}")

set(PRODUCT_FACTS_HEADER_DIR ${CMAKE_BINARY_DIR}/generated)
file(CONFIGURE OUTPUT ${PRODUCT_FACTS_HEADER_DIR}/productfacts.h CONTENT
"/* Written by CMake from resources/product.facts: change that file, not this one. */
#ifndef PRODUCTFACTS_H
#define PRODUCTFACTS_H
#define PRODUCT_NAME \"${PRODUCT_NAME}\"
#define PRODUCT_SHORT_NAME \"${PRODUCT_SHORT_NAME}\"
#define PRODUCT_PUBLISHER \"${PRODUCT_PUBLISHER}\"
#define PRODUCT_VERSION \"${PRODUCT_VERSION}\"
#define PRODUCT_VERSION_NUMBERS ${version_numbers}
#define PRODUCT_REQUIRED_BYTES ${PRODUCT_REQUIRED_BYTES}L
#define PRODUCT_FILE_COUNT ${PRODUCT_FILE_COUNT}
#define PRODUCT_FILES \"${quoted_files}\"
#define DIGEST_TABLE_MARKER \"${DIGEST_TABLE_MARKER}\"
#endif
")

# Unsetup.bat as bytes, for the uninstaller, which writes its copy from them: the program
# carries the batch file's very text, which its signature covers.
set(UNINSTALLER_BATCH ${CMAKE_SOURCE_DIR}/resources/Unsetup.bat)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${UNINSTALLER_BATCH})
file(READ ${UNINSTALLER_BATCH} batch_hex HEX)
string(REGEX REPLACE "(..)" "0x\\1," batch_bytes "${batch_hex}")
file(CONFIGURE OUTPUT ${PRODUCT_FACTS_HEADER_DIR}/uninstallerbatch.h CONTENT
"/* Written by CMake from resources/Unsetup.bat: change that file, not this one. */
#ifndef UNINSTALLERBATCH_H
#define UNINSTALLERBATCH_H
#define UNINSTALLER_BATCH_BYTES ${batch_bytes}
#endif
")
