# Assembles the Pd library morvkit/ and its deken package from each platform's build (run by the
# target pd-package; see pd/CMakeLists.txt):
#   cmake -DFOLDER=<this build's pd/morvkit> -DOUT=<folder> -DVERSION=<version>
#         -DCLASSES=<class;...> -DLICENSE=<licence file> -DBUILDS=<build folder;...>
#         -P assemble_deken_package.cmake
# The help patches and their sound file come from FOLDER; the externals from every build in
# BUILDS (and FOLDER's own) that holds them, as built and tested there.  A platform whose builds
# hold none of the externals is left out, said on the console and absent from the package's
# name; one holding only some of them is an error.  The package is a ZIP holding morvkit/, named
# as deken reads it: morvkit[v<version>](<system>-<processor>-32)...dek (Pd's 32-bit floats),
# with its SHA-256 beside it.
cmake_policy(VERSION 3.25)

# Pd's extension on each platform and deken's names for it (a .d_fat holds both Mac processors).
set(platforms linux_amd64 linux_arm64 windows_amd64 macos_fat)
set(suffix_linux_amd64 .l_amd64)
set(deken_linux_amd64 "(Linux-amd64-32)")
set(suffix_linux_arm64 .l_arm64)
set(deken_linux_arm64 "(Linux-arm64-32)")
set(suffix_windows_amd64 .m_amd64)
set(deken_windows_amd64 "(Windows-amd64-32)")
set(suffix_macos_fat .d_fat)
set(deken_macos_fat "(Darwin-amd64-32)(Darwin-arm64-32)")

set(library ${OUT}/morvkit)
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${library})
file(GLOB shared ${FOLDER}/*.pd ${FOLDER}/*.wav)
file(COPY ${shared} ${LICENSE} DESTINATION ${library})

set(name "morvkit[v${VERSION}]")
set(held)
foreach(platform ${platforms})
    set(found)
    set(lacking)
    foreach(class ${CLASSES})
        set(file)
        foreach(build ${FOLDER}/../.. ${BUILDS})
            if(EXISTS "${build}/pd/morvkit/${class}${suffix_${platform}}")
                set(file "${build}/pd/morvkit/${class}${suffix_${platform}}")
            endif()
        endforeach()
        if(file)
            list(APPEND found "${file}")
        else()
            list(APPEND lacking "${class}${suffix_${platform}}")
        endif()
    endforeach()
    if(found AND lacking)
        message(FATAL_ERROR "${lacking} missing: build every Pd external for ${platform}, or none")
    elseif(lacking)
        message(WARNING "No Pd externals for ${platform} (looked in ${FOLDER} and '${BUILDS}'): "
                        "the package is assembled without them.")
        continue()
    endif()
    file(COPY ${found} DESTINATION ${library})
    string(APPEND name "${deken_${platform}}")
    list(APPEND held ${platform})
endforeach()
if(NOT held)
    message(FATAL_ERROR "no platform's Pd externals found: build them first (./dev pd)")
endif()

set(dek ${OUT}/${name}.dek)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${dek} --format=zip morvkit
                WORKING_DIRECTORY ${OUT} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot write ${dek}")
endif()
file(SHA256 ${dek} sum)
get_filename_component(base ${dek} NAME)
file(WRITE ${dek}.sha256 "${sum}  ${base}\n")
message(STATUS "${dek}: ${held}")
