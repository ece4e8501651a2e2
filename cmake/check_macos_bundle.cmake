# Checks one macOS module bundle as the host loads it (run by CTest through `cmake -P`):
#   -DBUNDLE=<dir N.mxo> -DNAME=<N> -DENTRY=<_ext_main or _main> -DARCHS=<arm64,x86_64>
#   -DIDENTIFIER=<bundle id> -DVERSION=<version> -DCOPYRIGHT=<line> -DMIN_VERSION=<macOS version>
#   -DHOST_NAMES=<the host's .def lists, comma-separated> -DLIPO= -DNM= -DOBJDUMP= -DXMLLINT=<tools>
# The bundle holds Contents/Info.plist, Contents/PkgInfo and Contents/MacOS/N (and, once codesign
# has sealed it, Contents/_CodeSignature/CodeResources), nothing else.  Info.plist parses and holds
# the keys below and no others; PkgInfo is "iLaX????".  N holds exactly ARCHS, and each slice is a
# bundle for macOS MIN_VERSION that exports ENTRY alone and imports only host operations (left to
# the loader), the C and C++ runtime, and Accelerate's vDSP; the arm64 slice is signed.  Every
# fault found is listed before the check fails.
include(${CMAKE_CURRENT_LIST_DIR}/check_macos_executable.cmake)

if(NOT IS_DIRECTORY "${BUNDLE}")
    message(FATAL_ERROR "${BUNDLE} is not a directory")
endif()
set(contents ${BUNDLE}/Contents)
set(executable ${contents}/MacOS/${NAME})
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${BUNDLE} ${BUNDLE}/*)
list(REMOVE_ITEM files Contents/Info.plist Contents/PkgInfo Contents/MacOS/${NAME}
                       Contents/_CodeSignature/CodeResources)
if(files)
    fault("stray files: ${files}")
endif()
if(NOT EXISTS ${executable})
    message(FATAL_ERROR "${BUNDLE} has no Contents/MacOS/${NAME}; its faults: ${faults}")
endif()

file(READ ${contents}/PkgInfo pkginfo HEX)
if(NOT pkginfo STREQUAL "694c61583f3f3f3f")
    fault("PkgInfo holds the bytes ${pkginfo}, not 'iLaX????'")
endif()

# Info.plist: each key's value as "<element>:<text>", from a real XML parse.
set(plist ${contents}/Info.plist)
execute_process(COMMAND ${XMLLINT} --noout ${plist} ERROR_VARIABLE error RESULT_VARIABLE failed)
if(failed)
    fault("Info.plist does not parse: ${error}")
else()
    set(keys
        CFBundlePackageType "string:iLaX"  CFBundleSignature "string:max2"
        CFBundleExecutable "string:${NAME}"  CFBundleIdentifier "string:${IDENTIFIER}"
        CFBundleVersion "string:${VERSION}"  CFBundleShortVersionString "string:${VERSION}"
        CFBundleLongVersionString "string:${NAME} ${VERSION} - ${COPYRIGHT}"
        NSHumanReadableCopyright "string:${COPYRIGHT}"
        CFBundleDevelopmentRegion "string:English"  CFBundleIconFile "string:"
        CFBundleInfoDictionaryVersion "string:6.0"
        CSResourcesFileMapped "true:"  LSRequiresCarbon "true:"
        C74ObjectProperties "dict:c74excludefromcollectives no"
        C74ObjectProperties/c74excludefromcollectives "string:no")
    set(top_keys 0)
    while(keys)
        list(POP_FRONT keys key expected)
        string(REGEX REPLACE "([^/]+)" "key[.='\\1']/following-sibling::*[1]" path "${key}")
        set(path /plist/dict/${path})
        set(xpath "concat(name(${path}), ':', normalize-space(${path}))")
        run(value ${XMLLINT} --xpath "${xpath}" ${plist})
        if(NOT value STREQUAL expected)
            fault("Info.plist's ${key} is '${value}', not '${expected}'")
        endif()
        if(NOT key MATCHES "/")
            math(EXPR top_keys "${top_keys} + 1")
        endif()
    endwhile()
    run(count ${XMLLINT} --xpath "count(/plist/dict/key)" ${plist})
    if(NOT count EQUAL top_keys)
        fault("Info.plist holds ${count} keys, not the ${top_keys} above (no CFBundleName)")
    endif()
endif()

check_macos_executable(${executable})

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "${BUNDLE}:\n  ${text}")
endif()
string(JOIN " and " archs ${archs})
message(STATUS "${BUNDLE}: ${archs}, exports ${ENTRY} alone, macOS ${MIN_VERSION}")
