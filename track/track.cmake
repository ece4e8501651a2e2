# The morv.track~ module and its tests in the stand-in host.
morv_add_external(morv_track NAME "morv.track~" ENTRY main
                  SOURCES ${CMAKE_CURRENT_LIST_DIR}/src/track.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/src/track_queue.cpp
                  LIBS track_engine morv_version)
# The MIDI pitches it sends are computed in the scheduler, operation by operation; a fused
# multiply-add (GCC's default on ARM) would change their last digits there alone.
target_compile_options(morv_track PRIVATE -ffp-contract=off)

if(TARGET morvhost)
    morv_add_test(morv_track_object_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/track_object_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/tests/track_queue_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/src/track_queue.cpp
        LIBS morvhost morv_version track_engine MODULES morv_track)
    target_include_directories(morv_track_object_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/src
                                                              ${CMAKE_CURRENT_LIST_DIR}/engine)
    morv_add_test(morv_track_threads_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/track_threads_test.cpp
        LIBS morvhost MODULES morv_track LABELS threads)
    # Counting allocations takes over glibc's allocator, which a sanitizer holds already.
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT MORV_SANITIZE)
        morv_add_test(morv_track_realtime_test
            SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/track_realtime_test.cpp
            LIBS morvhost MODULES morv_track)
    endif()
    # Supervising system calls takes the processor's numbering, and the seccomp listener a native
    # kernel (not an emulator's).
    if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64"
       AND NOT CMAKE_CROSSCOMPILING AND NOT MORV_SANITIZE)
        morv_add_test(morv_track_syscalls_test
            SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/track_syscalls_test.cpp
            LIBS morvhost MODULES morv_track)
    endif()
endif()

# The perform routine's share of one core (bench/track_perform_bench.cpp); run by hand.
if(MORV_BUILD_BENCHMARKS AND TARGET morvhost)
    find_package(benchmark REQUIRED)
    add_executable(track_perform_bench ${CMAKE_CURRENT_LIST_DIR}/bench/track_perform_bench.cpp)
    target_link_libraries(track_perform_bench PRIVATE morvhost benchmark::benchmark_main)
    target_compile_definitions(track_perform_bench PRIVATE
        MORV_EXTERNALS_DIR="${MORV_EXTERNALS_DIR}")
    add_dependencies(track_perform_bench morv_track)
endif()
