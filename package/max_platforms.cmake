# Max's platforms as the package names them: the key of package-info.json's "os", the suffix of
# the modules built for it, a name for people and one for file names.  Included by the package's
# build file and by the scripts that assemble and check the package.
set(MORV_MAX_PLATFORMS macintosh windows)
set(MORV_MAX_macintosh_SUFFIX .mxo)
set(MORV_MAX_macintosh_NAME macOS)
set(MORV_MAX_macintosh_SLUG macos)
set(MORV_MAX_windows_SUFFIX .mxe64)
set(MORV_MAX_windows_NAME Windows)
set(MORV_MAX_windows_SLUG windows)

# morv_write_package_info(<package-info.json naming every platform> <output> <platforms held>...)
# Writes the package's metadata for a copy that holds the modules of the given platforms alone:
# "os" keeps only those, and the description says which platforms have no modules, so that the
# Package Manager never offers the copy where its objects cannot load.
function(morv_write_package_info template output)
    file(READ ${template} info)
    set(absent)
    foreach(os ${MORV_MAX_PLATFORMS})
        if(NOT os IN_LIST ARGN)
            string(JSON info REMOVE "${info}" os ${os})
            list(APPEND absent ${MORV_MAX_${os}_NAME})
        endif()
    endforeach()
    if(absent)
        list(JOIN absent " or " names)
        string(JSON description GET "${info}" description)
        string(APPEND description " This copy holds no ${names} modules.")
        string(REPLACE "\\" "\\\\" description "${description}")
        string(REPLACE "\"" "\\\"" description "${description}")
        string(JSON info SET "${info}" description "\"${description}\"")
    endif()
    file(WRITE ${output} "${info}\n")
endfunction()
