# The zid~ module: its host-free core, the object, their tests and benchmark.

# The geometry as a pure function and the table of the parameters' limits and defaults, for the
# object and for whoever drives it (the morvkit command).  core/include holds only host-free
# headers, so a user of the function does not see the object's record.
add_library(zid_geometry STATIC ${CMAKE_CURRENT_LIST_DIR}/core/src/yin_geometry.cpp)
target_include_directories(zid_geometry PUBLIC ${CMAKE_CURRENT_LIST_DIR}/core/include)
morv_hide_symbols(zid_geometry)

# The rest of the analysis around the estimator, without a host: decimation, the arrays and the
# frames a host's vectors fill.  Every host's zid~ is a thin layer over it.
add_library(zid_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/core/src/yin_decimate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/core/src/yin_arrays.cpp
    ${CMAKE_CURRENT_LIST_DIR}/core/src/yin_frames.cpp)
morv_hide_symbols(zid_core)
# The arrays hold the estimator's FFT plan.
target_link_libraries(zid_core PUBLIC zid_geometry yinutils)

morv_add_test(zid_core_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/zid_geometry_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/zid_decimate_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/zid_arrays_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/zid_frames_test.cpp
    LIBS zid_core)

morv_add_external(zid NAME "zid~" ENTRY main SOURCES ${CMAKE_CURRENT_LIST_DIR}/max/yin.cpp
                  LIBS zid_core morv_version)

# The object in the stand-in host, as a patch uses it.
if(TARGET morvhost)
    morv_add_test(zid_object_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/zid_object_test.cpp
                  LIBS morvhost morv_version MODULES zid)
    morv_add_test(zid_stream_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/zid_stream_test.cpp
                  LIBS morvhost yinutils MODULES zid)
    morv_add_test(zid_accuracy_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/zid_accuracy_test.cpp
                  LIBS morvhost MODULES zid)
    morv_add_test(zid_threads_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/zid_threads_test.cpp
                  LIBS morvhost zid_core MODULES zid LABELS threads)
    foreach(t zid_object_test zid_stream_test zid_accuracy_test zid_threads_test)
        target_include_directories(${t} PRIVATE ${CMAKE_CURRENT_LIST_DIR}/max
                                                ${CMAKE_CURRENT_LIST_DIR}/core/include)
    endforeach()
    # Which correlation the module sums with: exact digests hold only for the correctly rounded one.
    target_compile_definitions(zid_accuracy_test PRIVATE
                               $<TARGET_PROPERTY:yinutils,INTERFACE_COMPILE_DEFINITIONS>)
endif()

if(MORV_BUILD_BENCHMARKS)
    find_package(benchmark REQUIRED)
    add_executable(zid_perform_bench ${CMAKE_CURRENT_LIST_DIR}/bench/zid_perform_bench.cpp)
    target_link_libraries(zid_perform_bench PRIVATE morvhost benchmark::benchmark_main)
    target_compile_definitions(zid_perform_bench PRIVATE MORV_EXTERNALS_DIR="${MORV_EXTERNALS_DIR}")
    add_dependencies(zid_perform_bench zid)
endif()
