# The bundle check's own test (cmake -P, from this folder's CMakeLists.txt): copies of a sound
# bundle (-DGOOD), each with one fault, must each fail the check with the fault named.  The
# executables are linked here from a few lines of C, as the cross build links modules; every other
# -D is the sound bundle's check's own.
cmake_policy(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/tools.cmake)
set(check_args)
foreach(var NAME ENTRY ARCHS IDENTIFIER VERSION COPYRIGHT MIN_VERSION HOST_NAMES LIPO NM OBJDUMP
            XMLLINT)
    list(APPEND check_args "-D${var}=${${var}}")
endforeach()
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/entry.c "int ext_main(void) { return 0; }\n")
file(WRITE ${WORK}/export.c "int stray_export(void) { return 1; }\n")
file(WRITE ${WORK}/import.c "void stray_import(void);\n"
     "__attribute__((visibility(\"hidden\"))) void call(void) { stray_import(); }\n")
foreach(arch arm64 x86_64)
    string(REPLACE arm64 aarch64 zig_arch ${arch})
    foreach(source entry export import)
        execute_process(COMMAND ${MORV_ZIG} cc -target ${zig_arch}-macos.${MIN_VERSION} -c
                                ${WORK}/${source}.c -o ${WORK}/${source}.${arch}.o
                        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endforeach()

# bundle(<case> <the checker's words, a regular expression or "" for none>
#        [OBJECTS <extra C files>] [LINK <ld64 options>] [ARM64_LINK <arm64-only options>]
#        [SLICES <archs>] [PKGINFO <text>] [PLIST <text> <replacement>])
function(bundle case expected)
    cmake_parse_arguments(ARG "" "PKGINFO" "OBJECTS;LINK;ARM64_LINK;SLICES;PLIST" ${ARGN})
    set(bundle ${WORK}/${case}/${NAME}.mxo)
    file(COPY ${GOOD} DESTINATION ${WORK}/${case})
    if(NOT ARG_LINK)
        set(ARG_LINK -bundle -platform_version macos ${MIN_VERSION} ${MIN_VERSION})
    endif()
    if(NOT ARG_SLICES)
        set(ARG_SLICES arm64 x86_64)
    endif()
    set(slices)
    foreach(arch ${ARG_SLICES})
        set(objects ${WORK}/entry.${arch}.o)
        foreach(source ${ARG_OBJECTS})
            list(APPEND objects ${WORK}/${source}.${arch}.o)
        endforeach()
        set(link ${ARG_LINK})
        if(arch STREQUAL "arm64")
            list(APPEND link ${ARG_ARM64_LINK})
        endif()
        set(slice ${WORK}/${case}/${arch}/${NAME})
        file(MAKE_DIRECTORY ${WORK}/${case}/${arch})
        execute_process(COMMAND ${MORV_LD64} -arch ${arch} ${link} -undefined dynamic_lookup
                                -o ${slice} ${objects} ${MORV_MACOS_LIBSYSTEM}
                        COMMAND_ERROR_IS_FATAL ANY)
        list(APPEND slices ${slice})
    endforeach()
    execute_process(COMMAND ${LIPO} -create ${slices} -output ${bundle}/Contents/MacOS/${NAME}
                    COMMAND_ERROR_IS_FATAL ANY)
    if(DEFINED ARG_PKGINFO)
        file(WRITE ${bundle}/Contents/PkgInfo "${ARG_PKGINFO}")
    endif()
    if(ARG_PLIST)
        file(READ ${bundle}/Contents/Info.plist plist)
        list(GET ARG_PLIST 0 text)
        list(GET ARG_PLIST 1 replacement)
        string(REPLACE "${text}" "${replacement}" plist "${plist}")
        file(WRITE ${bundle}/Contents/Info.plist "${plist}")
    endif()

    execute_process(COMMAND ${CMAKE_COMMAND} -DBUNDLE=${bundle} ${check_args}
                            -P ${CMAKE_CURRENT_LIST_DIR}/../check_macos_bundle.cmake
                    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE failed)
    if(expected STREQUAL "" AND failed)
        message(FATAL_ERROR "${case}: the sound bundle fails the check:\n${err}")
    elseif(NOT expected STREQUAL "" AND NOT failed)
        message(FATAL_ERROR "${case}: the check passes a bundle it must fail")
    elseif(NOT expected STREQUAL "" AND NOT err MATCHES "${expected}")
        message(FATAL_ERROR "${case}: the check fails, but not with '${expected}':\n${err}")
    endif()
    if(failed)
        message(STATUS "${case}: caught, '${CMAKE_MATCH_0}'")
    else()
        message(STATUS "${case}: passes")
    endif()
endfunction()

set(key_line "<key>CFBundleSignature</key>")
bundle(sound "")
bundle(extra_export "exports '_ext_main, _stray_export', not '_ext_main' alone" OBJECTS export)
bundle(stray_import "imports outside the host, the runtime and Accelerate: _stray_import"
       OBJECTS import)
bundle(one_slice "holds 'arm64', not 'arm64, x86_64'" SLICES arm64)
bundle(unsigned "arm64: no code signature" ARM64_LINK -no_adhoc_codesign)
bundle(newer_macos "minimum macOS '12.0', not 11.0" LINK -bundle -platform_version macos 12.0 12.0)
bundle(library "file type 'DYLIB', not BUNDLE"
       LINK -dylib -platform_version macos ${MIN_VERSION} ${MIN_VERSION})
bundle(pkginfo_newline "PkgInfo holds the bytes 694c61583f3f3f3f0a" PKGINFO "iLaX????\n")
bundle(bundle_name "holds 15 keys, not the 14"
       PLIST "${key_line}" "<key>CFBundleName</key><string>x</string>${key_line}")
bundle(wrong_type "CFBundlePackageType is 'string:APPL'" PLIST "iLaX" "APPL")
bundle(broken_plist "Info.plist does not parse" PLIST "</plist>" "</plst>")
