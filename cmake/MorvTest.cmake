# morv_add_test(<name> SOURCES ... [LIBS ...] [MODULES ...] [LABELS ...])
#
# One GoogleTest executable; its cases are registered with CTest one by one (in a cross build,
# the executable as one test).  Executables labelled
# "threads" are also gathered under the target `thread_tests`, so a ThreadSanitizer build can build
# just those.  Test code finds the
# built modules through MORV_EXTERNALS_DIR and MORV_EXTENSIONS_DIR, and MODULES makes sure the
# modules it loads are built first.  Without MORV_BUILD_TESTS it adds nothing.
if(NOT MORV_BUILD_TESTS)
    function(morv_add_test)
    endfunction()
    return()
elseif(CMAKE_CROSSCOMPILING AND NOT TARGET GTest::gtest)
    # No cross-built GoogleTest in the distribution: build it from the sources libgtest-dev ships.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
elseif(NOT TARGET GTest::gtest)
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)

function(morv_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;MODULES;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/host/tests/support)
    target_compile_definitions(${name} PRIVATE
        MORV_EXTERNALS_DIR="${MORV_EXTERNALS_DIR}" MORV_EXTENSIONS_DIR="${MORV_EXTENSIONS_DIR}"
        MORV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    if(ARG_MODULES)
        add_dependencies(${name} ${ARG_MODULES})
    endif()
    if(TARGET morv_maxaudio)
        add_dependencies(${name} morv_maxaudio)  # loaded by every module the test may load
    endif()
    if("threads" IN_LIST ARG_LABELS)
        if(NOT TARGET thread_tests)
            add_custom_target(thread_tests)
        endif()
        add_dependencies(thread_tests ${name})
    endif()
    if(CMAKE_CROSSCOMPILING)
        # Every case in its own process would start the emulator hundreds of times: one test per
        # executable instead (its output still names each failing case).
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    else()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                             PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
