# Windows builds (64-bit, MinGW-w64 here; the vendor's import libraries where MAX_SDK_DIR is set).
#
# The stand-in host becomes the two DLLs a Windows external imports from: MaxAPI.dll (the morvhost
# library itself) and MaxAudio.dll, which holds no code and forwards its four signal-chain
# operations to MaxAPI.dll.  Modules link against import libraries for both, as real externals
# do.  Executables and DLLs share one folder so that the tests find the host's DLLs beside them.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

set(MORV_WINDOWS_DIR ${CMAKE_CURRENT_LIST_DIR}/windows)

# morv_host_imports: what a module links to reach the host, and the DllMain each module defines
# (see module_dll_main.c).
add_library(morv_host_imports INTERFACE)
target_sources(morv_host_imports INTERFACE ${MORV_WINDOWS_DIR}/module_dll_main.c)
if(MAX_SDK_DIR)
    find_library(MORV_SDK_MAXAPI_LIB MaxAPI REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
                 PATHS ${MORV_SDK_MAX_INCLUDES} PATH_SUFFIXES x64)
    find_library(MORV_SDK_MAXAUDIO_LIB MaxAudio REQUIRED NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
                 PATHS ${MORV_SDK_MSP_INCLUDES} PATH_SUFFIXES x64)
    target_link_libraries(morv_host_imports INTERFACE ${MORV_SDK_MAXAPI_LIB} ${MORV_SDK_MAXAUDIO_LIB})
else()
    # Import libraries made from the .def files.  Like the vendor's, the one for MaxAudio.dll also
    # lists DllMain (which the forwarder MaxAudio.dll never exports): a module that would import
    # it links as it would with the vendor's libraries, then fails its exports test and every
    # test that loads it.
    find_program(MORV_DLLTOOL NAMES ${CMAKE_DLLTOOL} x86_64-w64-mingw32-dlltool dlltool REQUIRED)
    set(imports)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/imports)
    configure_file(${MORV_WINDOWS_DIR}/MaxAPI.def ${CMAKE_BINARY_DIR}/imports/MaxAPI.def COPYONLY)
    file(READ ${MORV_WINDOWS_DIR}/MaxAudio.def maxaudio_names)
    file(WRITE ${CMAKE_BINARY_DIR}/imports/MaxAudio.def "${maxaudio_names}DllMain\n")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${MORV_WINDOWS_DIR}/MaxAudio.def)
    foreach(dll MaxAPI MaxAudio)
        set(def ${CMAKE_BINARY_DIR}/imports/${dll}.def)
        set(lib ${CMAKE_BINARY_DIR}/imports/lib${dll}.a)
        add_custom_command(OUTPUT ${lib}
            COMMAND ${MORV_DLLTOOL} -d ${def} -D ${dll}.dll -l ${lib}
            DEPENDS ${def} VERBATIM)
        list(APPEND imports ${lib})
    endforeach()
    add_custom_target(morv_import_libraries DEPENDS ${imports})
    add_dependencies(morv_host_imports morv_import_libraries)
    target_link_libraries(morv_host_imports INTERFACE ${imports})
endif()

# MaxAudio.dll: one forwarder per name in MaxAudio.def.
function(morv_add_maxaudio_forwarder host_target)
    file(STRINGS ${MORV_WINDOWS_DIR}/MaxAudio.def names REGEX "^[a-z_0-9]+$")
    set(def "LIBRARY MaxAudio.dll\nEXPORTS\n")
    foreach(name ${names})
        string(APPEND def "${name} = MaxAPI.${name}\n")
    endforeach()
    set(def_file ${CMAKE_BINARY_DIR}/MaxAudio-forward.def)
    file(WRITE ${def_file} "${def}")
    file(WRITE ${CMAKE_BINARY_DIR}/MaxAudio-forward.c "/* MaxAudio.dll holds forwarders only. */\n")
    add_library(morv_maxaudio SHARED ${CMAKE_BINARY_DIR}/MaxAudio-forward.c ${def_file})
    set_target_properties(morv_maxaudio PROPERTIES OUTPUT_NAME MaxAudio PREFIX "")
    add_dependencies(morv_maxaudio ${host_target})
endfunction()

# Test executables run under wine64 in a prefix of the build's own.
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(MORV_WINE NAMES wine64 PATHS /usr/lib/wine REQUIRED)
    find_program(MORV_WINESERVER NAMES wineserver PATHS /usr/lib/wine REQUIRED)
    set(MORV_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    configure_file(${MORV_WINDOWS_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()
