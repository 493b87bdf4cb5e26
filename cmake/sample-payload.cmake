# Writes the eight sample product files of the distribution folder, under the
# names the setup copies. They are stand-ins for trying the setup, not the
# product, and say so in their text. Usage: cmake -DOUT=dir -P sample-payload.cmake
if(NOT OUT)
    message(FATAL_ERROR "OUT not set")
endif()
set(NAMES Nim2Alph.exe tour.kvr calm.mid nimbet2.mid Notes.doc options.exe Unsetup.exe Unsetup.bat)
foreach(name IN LISTS NAMES)
    set(text "SAMPLE FILE - not part of any product.\r\n")
    string(APPEND text "This stands in for ${name} so that the Nimbet 2 Alpha setup has something to install.\r\n")
    # A few kilobytes each, so the copy has real work to do.
    string(REPEAT "sample payload line for ${name}\r\n" 100 filler)
    string(APPEND text "${filler}")
    file(WRITE ${OUT}/${name} "${text}")
endforeach()
