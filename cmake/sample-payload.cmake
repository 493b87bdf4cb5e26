# Writes the sample product files of the distribution folder, under the names
# the setup copies (the file table of resources/product.facts). They are
# stand-ins for trying the setup, not the product, and say so in their text.
# Usage: cmake -DOUT=dir -DNAMES=name;... -DPRODUCT_NAME=name -P sample-payload.cmake
if(NOT OUT OR NOT NAMES OR NOT PRODUCT_NAME)
    message(FATAL_ERROR "OUT, NAMES and PRODUCT_NAME must be set")
endif()
foreach(name IN LISTS NAMES)
    set(text "SAMPLE FILE - not part of any product.\r\n")
    string(APPEND text "This stands in for ${name} so that the ${PRODUCT_NAME} setup has something to install.\r\n")
    # A few kilobytes each, so the copy has real work to do.
    string(REPEAT "sample payload line for ${name}\r\n" 100 filler)
    string(APPEND text "${filler}")
    file(WRITE ${OUT}/${name} "${text}")
endforeach()
