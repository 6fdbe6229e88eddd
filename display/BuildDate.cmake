# Writes the header with the build date; rewritten only when the date changes, so that a build
# on the same day compiles nothing again.
string(TIMESTAMP date "%b %d %Y")
set(text "#pragma once\n#define CORV_BUILD_DATE \"${date}\"\n")
set(old "")
if(EXISTS ${OUT})
    file(READ ${OUT} old)
endif()
if(NOT old STREQUAL text)
    file(WRITE ${OUT} "${text}")
endif()
