# Installs the package component into PREFIX and compares the files there with the list below:
# a file that goes missing, or one that lands in the package by accident, fails the test.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                        --component maxpackage
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "install into ${PREFIX} failed")
endif()

set(expected
    morvkit/ReadMe.md
    morvkit/docs/refpages/morv.centroid~.maxref.xml
    morvkit/docs/refpages/zid~.maxref.xml
    morvkit/extensions/morv.splash${MODULE_SUFFIX}
    morvkit/externals/morv.centroid~${MODULE_SUFFIX}
    morvkit/externals/zid~${MODULE_SUFFIX}
    morvkit/help/morv.centroid~.maxhelp
    morvkit/help/zid~.maxhelp
    morvkit/icon.png
    morvkit/license.md
    morvkit/package-info.json
    morvkit/patchers/morv.centroid.pfft.maxpat)
file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT found)
list(SORT expected)
if(NOT found STREQUAL expected)
    string(REPLACE ";" "\n  " found_text "${found}")
    string(REPLACE ";" "\n  " expected_text "${expected}")
    message(FATAL_ERROR "installed:\n  ${found_text}\nexpected:\n  ${expected_text}")
endif()
message(STATUS "installed package: ${found}")
