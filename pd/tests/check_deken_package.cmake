# The deken package from this build alone, and from a build holding only some externals (run by
# CTest through `cmake -P`):
#   -DASSEMBLE=<assemble_deken_package.cmake> -DFOLDER=<build/pd/morvkit> -DWORK=<scratch folder>
#   -DVERSION=<version> -DCLASSES=<class;...> -DLICENSE=<licence file>
# This build's package is named for Linux x86-64 alone and holds morvkit/ with the licence, the
# help patches, their sound file and every class's .l_amd64, nothing else.  A Windows build with
# only the first class's external is refused.
cmake_policy(VERSION 3.25)
file(REMOVE_RECURSE ${WORK})
# The classes go as one quoted argument: expanded unquoted, their list would split.
set(common -DFOLDER=${FOLDER} -DVERSION=${VERSION} -DLICENSE=${LICENSE})
execute_process(COMMAND ${CMAKE_COMMAND} ${common} "-DCLASSES=${CLASSES}" -DOUT=${WORK}/alone -DBUILDS=
                        -P ${ASSEMBLE} RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
set(dek "${WORK}/alone/morvkit[v${VERSION}](Linux-amd64-32).dek")
file(GLOB made ${WORK}/alone/*.dek)
if(failed OR NOT made STREQUAL dek)
    message(FATAL_ERROR "made '${made}' instead of '${dek}'")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${dek} OUTPUT_VARIABLE listing)
string(REGEX MATCHALL "[^\n]+" listing "${listing}")
list(REMOVE_ITEM listing morvkit morvkit/)
file(GLOB shared RELATIVE ${FOLDER} ${FOLDER}/*.pd ${FOLDER}/*.wav)
get_filename_component(licence ${LICENSE} NAME)
set(expected ${shared} ${licence})
foreach(class ${CLASSES})
    list(APPEND expected ${class}.l_amd64 ${class}-help.pd)
endforeach()
list(REMOVE_DUPLICATES expected)
list(TRANSFORM expected PREPEND morvkit/)
list(SORT expected)
list(SORT listing)
if(NOT listing STREQUAL expected)
    message(FATAL_ERROR "the package holds\n  ${listing}\ninstead of\n  ${expected}")
endif()

list(GET CLASSES 0 first)
file(MAKE_DIRECTORY ${WORK}/partial/pd/morvkit)
file(TOUCH ${WORK}/partial/pd/morvkit/${first}.m_amd64)
execute_process(COMMAND ${CMAKE_COMMAND} ${common} "-DCLASSES=${CLASSES}" -DOUT=${WORK}/refused
                        -DBUILDS=${WORK}/partial -P ${ASSEMBLE}
                RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE error)
if(NOT failed OR NOT error MATCHES "missing: build every Pd external for[ \n]+windows_amd64")
    message(FATAL_ERROR "a build with only ${first}.m_amd64 was not refused:\n${error}")
endif()
message(STATUS "${dek}: ${listing}")
