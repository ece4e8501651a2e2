# check_rooms.cmake - the command's rooms point only down, and its core stays host-free.
#
# A file in a room of src/ includes headers of its own room and of the rooms listed before it,
# never of a later one; and no source of the host-free core includes a header of the host side
# (one whose source is built into morvkit_host).  Lists arrive joined by commas:
#   cmake -DSOURCE_DIR=<src> -DROOMS=base,process,... -DCORE=a.cpp,... -DHOST=b.cpp,...
#         -P check_rooms.cmake
cmake_minimum_required(VERSION 3.25)

foreach(list ROOMS CORE HOST)
    string(REPLACE "," ";" ${list} "${${list}}")
endforeach()
set(host_headers "")
foreach(source IN LISTS HOST)
    string(REGEX REPLACE "\\.cpp$" ".hpp" header "${source}")
    list(APPEND host_headers "${header}")
endforeach()

set(wrong "")
list(LENGTH ROOMS room_count)
math(EXPR last "${room_count} - 1")
foreach(position RANGE ${last})
    list(GET ROOMS ${position} room)
    file(GLOB files "${SOURCE_DIR}/${room}/*.cpp" "${SOURCE_DIR}/${room}/*.hpp")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" includes REGEX "^#include \"[a-z_]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" target "${line}")
            list(FIND ROOMS "${target}" target_position)
            if(target_position GREATER position)
                string(REPLACE "${SOURCE_DIR}/" "" name "${file}")
                list(APPEND wrong "${name} points up to ${target}/: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()

foreach(source IN LISTS CORE)
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
        if(header IN_LIST host_headers)
            list(APPEND wrong "${source} (core) includes the host side's ${header}")
        endif()
    endforeach()
endforeach()

if(wrong)
    list(JOIN wrong "\n  " text)
    message(FATAL_ERROR "the command's rooms are crossed:\n  ${text}")
endif()
