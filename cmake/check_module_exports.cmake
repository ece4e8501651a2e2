# Checks one built module's dynamic tables (run by CTest through `cmake -P`):
#   -DMODULE=<file> -DENTRY=<name> -DFORMAT=ELF|PE -DTOOL=<nm or objdump>
# ELF (Linux): the dynamic symbols it defines must be the entry alone.
# PE (Windows): the export table must list the entry alone, and the module may import only from
# the host's DLLs and the system's: MaxAPI.dll must be among them.
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
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${table}")
    list(TRANSFORM imports REPLACE "^DLL Name: " "")
    message(STATUS "imports: ${imports}")
    if(NOT "MaxAPI.dll" IN_LIST imports)
        message(FATAL_ERROR "${MODULE} does not import the host's MaxAPI.dll")
    endif()
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
