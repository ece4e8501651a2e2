# Assembles the Max package, morvkit/ and its ZIP, from each Max platform's build (run by the
# target max-package; see package/CMakeLists.txt):
#   cmake -DBUILD_DIR=<a build of this tree> -DOUT=<folder> -DVERSION=<version>
#         -DPACKAGE_INFO=<package-info.json naming every platform> -DMODULES=<folder/name;...>
#         -DBUILD_windows=<64-bit Windows build> -DBUILD_macintosh=<macOS build>
#         -P assemble_max_package.cmake
# The shared files come from BUILD_DIR's install component "maxpackage"; the modules from each
# platform's build, as built and tested there (Windows .mxe64 files; macOS universal .mxo bundles,
# copied as folders).  A platform whose build holds none of the modules is left out, said on the
# console, in the ZIP's name and in package-info.json, which never claims it; one holding only
# some of them is an error.  The result is checked file by file (tests/check_install.cmake).
cmake_policy(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/max_platforms.cmake)

set(package ${OUT}/morvkit)
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${OUT}
                        --component maxpackage
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
    message(FATAL_ERROR "cannot install the package's files from ${BUILD_DIR}")
endif()

set(held)
set(absent)
foreach(os ${MORV_MAX_PLATFORMS})
    set(build "${BUILD_${os}}")
    set(found)
    set(lacking)
    foreach(module ${MODULES})
        set(file "${build}/${module}${MORV_MAX_${os}_SUFFIX}")
        if(build AND EXISTS "${file}")
            list(APPEND found "${file}")
        else()
            list(APPEND lacking "${module}${MORV_MAX_${os}_SUFFIX}")
        endif()
    endforeach()
    if(found AND lacking)
        message(FATAL_ERROR "${build} lacks ${lacking}: build every module for "
                            "${MORV_MAX_${os}_NAME}, or none")
    elseif(lacking)
        message(WARNING "No ${MORV_MAX_${os}_NAME} modules (looked in '${build}'): the package "
                        "is assembled without them and does not claim ${MORV_MAX_${os}_NAME}.")
        list(APPEND absent ${os})
        continue()
    endif()
    foreach(file ${found})
        get_filename_component(folder "${file}" DIRECTORY)
        get_filename_component(folder "${folder}" NAME)
        file(COPY "${file}" DESTINATION ${package}/${folder})
    endforeach()
    list(APPEND held ${os})
    message(STATUS "${MORV_MAX_${os}_NAME} modules from ${build}")
endforeach()
if(NOT held)
    message(FATAL_ERROR "no Max platform's modules found: build them first (./dev package)")
endif()
morv_write_package_info(${PACKAGE_INFO} ${package}/package-info.json ${held})

# A copy without some platform says so in its name: morvkit-<version>-windows-only.zip.
set(zip morvkit-${VERSION})
if(absent)
    foreach(os ${held})
        string(APPEND zip -${MORV_MAX_${os}_SLUG})
    endforeach()
    string(APPEND zip -only)
endif()
set(zip ${OUT}/${zip}.zip)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip morvkit
                WORKING_DIRECTORY ${OUT} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot write ${zip}")
endif()

set(PREFIX ${OUT})
set(ZIP ${zip})
set(PLATFORMS ${held})
set(SUFFIXES)
foreach(os ${held})
    list(APPEND SUFFIXES ${MORV_MAX_${os}_SUFFIX})
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/tests/check_install.cmake)
message(STATUS "Max package: ${package} and ${zip}")
