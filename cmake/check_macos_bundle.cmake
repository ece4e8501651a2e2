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
cmake_policy(VERSION 3.25)
set(faults)
function(fault text)
    string(REPLACE ";" ", " text "${text}")  # lists named in the text stay one entry
    set(faults ${faults} "${text}" PARENT_SCOPE)
endfunction()

function(run out)  # run(<variable> <command>...): its standard output
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE error RESULT_VARIABLE failed
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(failed OR error MATCHES "error")
        message(FATAL_ERROR "${ARGN}: ${error}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

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

# The executable: exactly the expected processors.
string(REPLACE "," ";" expected_archs "${ARCHS}")
run(archs ${LIPO} -archs ${executable})
string(REGEX MATCHALL "[^ \n]+" archs "${archs}")
list(SORT archs)
list(SORT expected_archs)
if(NOT archs STREQUAL expected_archs)
    fault("the executable holds '${archs}', not '${expected_archs}'")
endif()
run(info ${LIPO} -info ${executable})

# The host's operations, as the Windows import lists name them; Mach-O prefixes an underscore.
string(REPLACE "," ";" def_files "${HOST_NAMES}")
set(host_names)
foreach(def ${def_files})
    file(STRINGS ${def} names REGEX "^[a-z_0-9]+$")
    list(TRANSFORM names PREPEND _)
    list(APPEND host_names ${names})
endforeach()
# The C++ runtime's names: new and delete, std:: and the ABI's own, the unwinder.
string(JOIN "|" cxx_runtime __Zn[wa] __Zd[la] __ZN?K?St __ZT[ISV]N?St __ZT[ISV]N10__cxxabiv1 ___cxa_
       ___gxx_personality_v0$ __Unwind_)

set(select)  # which slice the tools read: none to choose in a thin file
foreach(arch ${archs})
    if(info MATCHES "fat file")
        set(select --arch=${arch})
    endif()
    run(headers ${OBJDUMP} --macho ${select} --private-headers ${executable})
    if(NOT headers MATCHES "MH_MAGIC_64 +[A-Z0-9_]+ +[A-Z0-9_]+ +0x[0-9a-fA-F]+ +([A-Z_]+)"
       OR NOT CMAKE_MATCH_1 STREQUAL "BUNDLE")
        fault("${arch}: file type '${CMAKE_MATCH_1}', not BUNDLE")
    endif()
    if(NOT headers MATCHES "cmd LC_BUILD_VERSION\n[^\n]*\n[^\n]*\n[^\n]*\n +minos ([0-9.]+)"
       OR NOT CMAKE_MATCH_1 VERSION_EQUAL MIN_VERSION)
        fault("${arch}: minimum macOS '${CMAKE_MATCH_1}', not ${MIN_VERSION}")
    endif()
    if(arch STREQUAL "arm64" AND NOT headers MATCHES "cmd LC_CODE_SIGNATURE\n")
        fault("${arch}: no code signature")
    endif()

    run(trie ${OBJDUMP} --macho ${select} --exports-trie ${executable})
    string(REGEX MATCHALL "\n0x[0-9A-Fa-f]+ +[^ \n]+" exports "${trie}")
    list(TRANSFORM exports REPLACE "^\n0x[0-9A-Fa-f]+ +" "")
    if(NOT exports STREQUAL ENTRY)
        fault("${arch}: exports '${exports}', not '${ENTRY}' alone")
    endif()

    run(undefined ${NM} -m -u ${select} ${executable})
    string(REGEX MATCHALL "[^\n]+" lines "${undefined}")
    set(strays)
    foreach(line ${lines})
        if(NOT line MATCHES "\\(undefined\\) (weak )?external ([^ ]+) \\((.*)\\)$")
            list(APPEND strays "'${line}'")
            continue()
        endif()
        set(symbol ${CMAKE_MATCH_2})
        set(from ${CMAKE_MATCH_3})
        if(symbol IN_LIST host_names)
            set(allowed "dynamically looked up")       # the host's, resolved at load time
        elseif(symbol MATCHES "^_vDSP_")
            set(allowed "from Accelerate")
        elseif(symbol MATCHES "^(${cxx_runtime})")
            set(allowed "dynamically looked up|from libc\\+\\+|from libc\\+\\+abi|from libSystem")
        else()
            set(allowed "from libSystem")               # the C runtime
        endif()
        if(NOT from MATCHES "^(${allowed})$")
            list(APPEND strays "${symbol} (${from})")
        endif()
    endforeach()
    if(strays)
        fault("${arch}: imports outside the host, the runtime and Accelerate: ${strays}")
    endif()
endforeach()

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "${BUNDLE}:\n  ${text}")
endif()
string(JOIN " and " archs ${archs})
message(STATUS "${BUNDLE}: ${archs}, exports ${ENTRY} alone, macOS ${MIN_VERSION}")
