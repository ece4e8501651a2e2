# The checks of a macOS module's executable, shared by the checks of the Max bundles
# (check_macos_bundle.cmake) and of the Pd externals (check_macos_pd_external.cmake):
#   check_macos_executable(<file>) with ARCHS, ENTRY, MIN_VERSION, HOST_NAMES, LIPO, NM and OBJDUMP
# set as those scripts take them.  The file holds exactly ARCHS, and each slice is a bundle for
# macOS MIN_VERSION that exports ENTRY alone and imports only host operations (left to the
# loader), the C and C++ runtime, and Accelerate's vDSP; the arm64 slice is signed.  Faults are
# collected with fault(); run() gives a command's standard output.
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

function(check_macos_executable executable)
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
        file(STRINGS ${def} names REGEX "^[a-z_][A-Za-z_0-9]*( DATA)?$")
        list(TRANSFORM names REPLACE " DATA$" "")
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
    set(faults ${faults} PARENT_SCOPE)
    set(archs ${archs} PARENT_SCOPE)
endfunction()
