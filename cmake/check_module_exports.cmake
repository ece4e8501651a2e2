# Checks one built module's dynamic tables (run by CTest through `cmake -P`):
#   -DMODULE=<file> -DENTRY=<name> -DFORMAT=ELF|PE -DTOOL=<nm or objdump> [-DDEFS=<folder>]
# ELF (Linux): the dynamic symbols it defines must be the entry alone.
# PE (Windows): the export table must list the entry alone; the module must import from the
# host's MaxAPI.dll, and from MaxAPI.dll and MaxAudio.dll only names of the host interface (those
# in DEFS/MaxAPI.def and DEFS/MaxAudio.def: never DllMain, which the vendor's MaxAudio.lib also
# lists); anything else only from the system's DLLs.
cmake_policy(VERSION 3.25)
set(system_dlls KERNEL32.dll msvcrt.dll)

if(FORMAT STREQUAL "ELF")
    execute_process(COMMAND ${TOOL} -D --defined-only ${MODULE} OUTPUT_VARIABLE table
                    RESULT_VARIABLE failed)
    string(REGEX MATCHALL "[^\n]+" lines "${table}")
    set(exports)
    foreach(line ${lines})
        string(REGEX REPLACE "^.* " "" name "${line}")
        list(APPEND exports ${name})
    endforeach()
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
    if(NOT "MaxAPI.dll" IN_LIST imports)
        message(FATAL_ERROR "${MODULE} does not import the host's MaxAPI.dll")
    endif()
    foreach(host MaxAPI MaxAudio)
        file(STRINGS ${DEFS}/${host}.def interface REGEX "^[a-z_0-9]+$")
        set(outside ${names_${host}.dll})
        list(REMOVE_ITEM outside ${interface})
        if(outside)
            message(FATAL_ERROR "${MODULE} imports from ${host}.dll what the host interface "
                                "does not hold: ${outside}")
        endif()
    endforeach()
    list(REMOVE_ITEM imports MaxAPI.dll MaxAudio.dll ${system_dlls})
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
