# Checks a package folder, PREFIX/morvkit, file by file: a file that goes missing, or one that
# lands in the package by accident, fails.  Run by CTest on a fresh install of a build, and by
# the Max package's assembly on its result:
#   -DPREFIX=<folder> -DMODULES=<folder/name;...> -DSUFFIXES=<the modules' suffixes;...>
#   -DPLATFORMS=<the "os" keys package-info.json must name, exactly>
#   [-DINSTALL_FROM=<build>]  install that build's package and modules into PREFIX first
#   [-DZIP=<archive>]         the archive must hold exactly the same files
cmake_policy(VERSION 3.25)
if(INSTALL_FROM)
    file(REMOVE_RECURSE ${PREFIX})
    foreach(component maxpackage maxmodules)
        execute_process(COMMAND ${CMAKE_COMMAND} --install ${INSTALL_FROM} --prefix ${PREFIX}
                                --component ${component}
                        RESULT_VARIABLE status OUTPUT_QUIET)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "install of ${component} into ${PREFIX} failed")
        endif()
    endforeach()
endif()

set(expected
    morvkit/ReadMe.md
    morvkit/docs/refpages/morv.centroid~.maxref.xml
    morvkit/docs/refpages/morv.track~.maxref.xml
    morvkit/docs/refpages/zid~.maxref.xml
    morvkit/help/morv.centroid~.maxhelp
    morvkit/help/morv.track~.maxhelp
    morvkit/help/zid~.maxhelp
    morvkit/icon.png
    morvkit/license.md
    morvkit/package-info.json
    morvkit/patchers/morv.centroid.pfft.maxpat)
foreach(suffix ${SUFFIXES})
    foreach(module ${MODULES})
        if(suffix STREQUAL ".mxo")  # a bundle: a folder of three files (and a seal)
            get_filename_component(name ${module} NAME)
            list(APPEND expected morvkit/${module}.mxo/Contents/Info.plist
                                 morvkit/${module}.mxo/Contents/PkgInfo
                                 morvkit/${module}.mxo/Contents/MacOS/${name})
        else()
            list(APPEND expected morvkit/${module}${suffix})
        endif()
    endforeach()
endforeach()

function(expect_same where found)
    # A bundle sealed by codesign on a Mac also holds its seal; a cross-built one carries only the
    # linker's signature, inside its executable.  Either is a complete bundle.
    list(FILTER found EXCLUDE REGEX "\\.mxo/Contents/_CodeSignature/CodeResources$")
    set(missing ${expected})
    list(REMOVE_ITEM missing ${found})
    set(extra ${found})
    list(REMOVE_ITEM extra ${expected})
    if(missing OR extra)
        string(REPLACE ";" "\n  " missing "${missing}")
        string(REPLACE ";" "\n  " extra "${extra}")
        message(FATAL_ERROR "${where} lacks:\n  ${missing}\nand holds besides:\n  ${extra}")
    endif()
endfunction()

list(SORT expected)
file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/morvkit/*)
expect_same("${PREFIX}" "${found}")
if(ZIP)
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP} OUTPUT_VARIABLE listing
                    RESULT_VARIABLE status)
    string(REGEX MATCHALL "[^\n]*[^/\n]\n" in_zip "${listing}")  # files, not folders
    list(TRANSFORM in_zip STRIP)
    expect_same("${ZIP}" "${in_zip}")
endif()

file(READ ${PREFIX}/morvkit/package-info.json info)
string(JSON count LENGTH "${info}" os)
set(claimed)
if(count GREATER 0)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
        string(JSON os MEMBER "${info}" os ${i})
        list(APPEND claimed ${os})
    endforeach()
endif()
list(SORT claimed)
list(SORT PLATFORMS)
if(NOT "${claimed}" STREQUAL "${PLATFORMS}")
    message(FATAL_ERROR "package-info.json claims '${claimed}' instead of '${PLATFORMS}'")
endif()
message(STATUS "package in ${PREFIX}, for '${claimed}': ${found}")
