# morv_add_external(<target> NAME <class name> ENTRY <ext_main|main> [EXTENSION] SOURCES ... [LIBS ...])
#
# Builds one host external as a loadable module named after its class, exporting nothing but its
# registration entry.  On Linux and macOS host operations stay undefined in the module and are
# resolved at load time by whatever host loads it: the stand-in host here, the real host where the
# vendor's SDK is used; on macOS the module is a bundle (see MorvBundle.cmake).  On Windows the
# module imports them from MaxAPI.dll and MaxAudio.dll through import libraries (see
# MorvWindows.cmake), and only the entry, marked C74_EXPORT, is exported.
# EXTENSION puts the module in the package's "extensions" folder (loaded at start-up) instead of
# "externals".

# The seam the externals compile against: the vendor's SDK headers when MAX_SDK_DIR is given,
# otherwise the package's own declarations of the same interface.
add_library(morv_seam INTERFACE)
if(MAX_SDK_DIR)
    # The SDK lies outside any cross toolchain's root: searched as given, never re-rooted.
    find_path(MORV_SDK_MAX_INCLUDES ext.h REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
              PATHS ${MAX_SDK_DIR} PATH_SUFFIXES source/max-sdk-base/c74support/max-includes c74support/max-includes max-includes)
    find_path(MORV_SDK_MSP_INCLUDES z_dsp.h REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
              PATHS ${MAX_SDK_DIR} PATH_SUFFIXES source/max-sdk-base/c74support/msp-includes c74support/msp-includes msp-includes)
    target_include_directories(morv_seam SYSTEM INTERFACE ${MORV_SDK_MAX_INCLUDES} ${MORV_SDK_MSP_INCLUDES})
    message(STATUS "externals compile against the Max SDK in ${MAX_SDK_DIR}")
else()
    target_include_directories(morv_seam INTERFACE ${PROJECT_SOURCE_DIR}/host/seam)
endif()
# The host's interface passes every routine as the generic 'method' type; casting to it is the
# interface's own idiom, not a fault.
target_compile_options(morv_seam INTERFACE -Wno-cast-function-type)

# What every external's host glue shares: atomic access to its record, attribute registration.
target_include_directories(morv_seam INTERFACE ${PROJECT_SOURCE_DIR}/common)

set(MORV_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

if(APPLE)
    include(${CMAKE_CURRENT_LIST_DIR}/MorvBundle.cmake)
    set(MORV_MODULE_SUFFIX ".mxo")
elseif(WIN32)
    set(MORV_MODULE_SUFFIX ".mxe64")
else()
    set(MORV_MODULE_SUFFIX ".mxl_${CMAKE_SYSTEM_PROCESSOR}")
endif()

# morv_hide_symbols(<target>...): code that modules link in statically (kernels, estimator) keeps
# its symbols out of the modules' dynamic tables, whatever the platform's linker does by default.
function(morv_hide_symbols)
    set_target_properties(${ARGN} PROPERTIES
        C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()

function(morv_add_external target)
    cmake_parse_arguments(ARG "EXTENSION" "NAME;ENTRY" "SOURCES;LIBS" ${ARGN})
    add_library(${target} MODULE ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE morv_seam ${ARG_LIBS})
    if(ARG_EXTENSION)
        set(outdir ${MORV_EXTENSIONS_DIR})
    else()
        set(outdir ${MORV_EXTERNALS_DIR})
    endif()
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME "${ARG_NAME}" PREFIX "" SUFFIX "${MORV_MODULE_SUFFIX}"
        LIBRARY_OUTPUT_DIRECTORY ${outdir})
    morv_hide_symbols(${target})
    if(APPLE)
        file(RELATIVE_PATH folder ${CMAKE_BINARY_DIR} ${outdir})
        morv_make_bundle(${target} "${ARG_NAME}" ${ARG_ENTRY} ${folder})
        return()
    elseif(WIN32)
        target_link_libraries(${target} PRIVATE morv_host_imports)
    else()
        set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports)
        file(WRITE ${script} "{ global: ${ARG_ENTRY}; local: *; };\n")
        target_link_options(${target} PRIVATE -Wl,--version-script=${script})
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
    endif()
    morv_add_exports_test(${target} ${ARG_ENTRY})
endfunction()

# A test that the module's dynamic tables hold its entry alone (and, on Windows, that it imports
# only from the host's DLLs and the system's).  HOST_DEFS names the host's DLLs and interface as
# .def files (by default the Max host's, cmake/windows/); given, the Linux check also holds the
# names left to the loader to that interface.  macOS bundles have a check of their own
# (MorvBundle.cmake).
function(morv_add_exports_test target entry)
    cmake_parse_arguments(ARG "" "" "HOST_DEFS" ${ARGN})
    string(JOIN "," host_defs ${ARG_HOST_DEFS})
    if(WIN32)
        set(format PE)
        find_program(MORV_OBJDUMP NAMES ${CMAKE_OBJDUMP} objdump REQUIRED)
        set(tool ${MORV_OBJDUMP})
    else()
        set(format ELF)
        find_program(MORV_NM NAMES ${CMAKE_NM} nm REQUIRED)
        set(tool ${MORV_NM})
    endif()
    add_test(NAME ${target}.exports
             COMMAND ${CMAKE_COMMAND} -DMODULE=$<TARGET_FILE:${target}> -DENTRY=${entry}
                     -DFORMAT=${format} -DTOOL=${tool} -DDEFS=${MORV_CMAKE_DIR}/windows
                     -DHOST_DEFS=${host_defs} -P ${MORV_CMAKE_DIR}/check_module_exports.cmake)
endfunction()
