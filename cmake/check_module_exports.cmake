# Checks one built module's dynamic tables (run by CTest through `cmake -P`):
#   -DMODULE=<file> -DENTRY=<name> -DFORMAT=ELF|PE -DTOOL=<nm or objdump>
#   [-DDEFS=<folder>] [-DHOST_DEFS=<.def files, comma-separated>]
# The host's DLLs and the names of its interface are those of the .def files: HOST_DEFS, or by
# default DEFS/MaxAPI.def and DEFS/MaxAudio.def (never DllMain, which the vendor's MaxAudio.lib
# also lists).
# ELF (Linux): the dynamic symbols it defines must be the entry alone; with HOST_DEFS given, the
# names it leaves to the loader without a library version (the host's, not the C library's) must
# be names of the host interface.
# PE (Windows): the export table must list the entry alone; the module must import from the first
# host DLL, and from the host's DLLs only names of its interface; anything else only from the
# system's DLLs.
cmake_policy(VERSION 3.25)
set(system_dlls KERNEL32.dll msvcrt.dll)

set(check_undefined ON)
if(NOT HOST_DEFS)
    set(HOST_DEFS ${DEFS}/MaxAPI.def,${DEFS}/MaxAudio.def)
    set(check_undefined OFF)
endif()
string(REPLACE "," ";" HOST_DEFS "${HOST_DEFS}")
set(host_dlls)
set(interface)
foreach(def ${HOST_DEFS})
    file(STRINGS ${def} library REGEX "^LIBRARY ")
    string(REGEX REPLACE "^LIBRARY +" "" dll "${library}")
    list(APPEND host_dlls ${dll})
    file(STRINGS ${def} names REGEX "^[a-z_][A-Za-z_0-9]*( DATA)?$")
    list(TRANSFORM names REPLACE " DATA$" "")
    set(interface_${dll} ${names})
    list(APPEND interface ${names})
endforeach()

if(FORMAT STREQUAL "ELF")
    execute_process(COMMAND ${TOOL} -D --defined-only ${MODULE} OUTPUT_VARIABLE table
                    RESULT_VARIABLE failed)
    string(REGEX MATCHALL "[^\n]+" lines "${table}")
    set(exports)
    foreach(line ${lines})
        string(REGEX REPLACE "^.* " "" name "${line}")
        list(APPEND exports ${name})
    endforeach()
    if(check_undefined)
        execute_process(COMMAND ${TOOL} -D --undefined-only ${MODULE} OUTPUT_VARIABLE table)
        string(REGEX MATCHALL " U [^@\n]+\n" wanted "${table}")
        list(TRANSFORM wanted REPLACE "^ U ([^\n]+)\n$" "\\1")
        list(REMOVE_ITEM wanted ${interface})
        if(wanted)
            message(FATAL_ERROR "${MODULE} leaves to the loader what the host interface does not "
                                "hold: ${wanted}")
        endif()
    endif()
else()
    execute_process(COMMAND ${TOOL} -p ${MODULE} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
    # Names follow the line "[Ordinal/Name Pointer] Table", one "[ n] name" a line, up to a blank.
    string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" names "${table}")
    string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" exports "${names}")
    list(TRANSFORM exports REPLACE "^\\[ *[0-9]+\\] " "")
    # Imports come one DLL at a time: "DLL Name: X", a heading, then "\t<vma>\t <hint>  <name>".
    string(REGEX MATCHALL "[^\n]+" lines "${table}")
    set(imports)
    foreach(line ${lines})
        if(line MATCHES "DLL Name: (.+)$")
            set(dll ${CMAKE_MATCH_1})
            list(APPEND imports ${dll})
        elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+  (.+)$")
            list(APPEND names_${dll} ${CMAKE_MATCH_1})
        endif()
    endforeach()
    message(STATUS "imports: ${imports}")
    list(GET host_dlls 0 first)
    if(NOT first IN_LIST imports)
        message(FATAL_ERROR "${MODULE} does not import the host's ${first}")
    endif()
    foreach(dll ${host_dlls})
        set(outside ${names_${dll}})
        list(REMOVE_ITEM outside ${interface_${dll}})
        if(outside)
            message(FATAL_ERROR "${MODULE} imports from ${dll} what the host interface "
                                "does not hold: ${outside}")
        endif()
    endforeach()
    list(REMOVE_ITEM imports ${host_dlls} ${system_dlls})
    if(imports)
        message(FATAL_ERROR "${MODULE} imports from ${imports}")
    endif()
endif()
if(failed)
    message(FATAL_ERROR "${TOOL} cannot read ${MODULE}")
endif()
message(STATUS "exports: ${exports}")
if(NOT exports STREQUAL ENTRY)
    message(FATAL_ERROR "${MODULE} exports '${exports}' instead of '${ENTRY}' alone")
endif()
