# The zid~ module: object, geometry, buffering; tests and benchmark.

# The host-independent parts: geometry, decimation, array resizing.
add_library(zid_core STATIC
    ${CMAKE_CURRENT_LIST_DIR}/src/yin_geometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/src/yin_decimate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/src/yin_arrays.cpp)
target_include_directories(zid_core PUBLIC ${CMAKE_CURRENT_LIST_DIR}/src)

morv_add_test(zid_core_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/zid_geometry_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/zid_decimate_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tests/zid_arrays_test.cpp
    LIBS zid_core)

if(TARGET yinutils)
    morv_add_external(zid NAME "zid~" ENTRY main SOURCES ${CMAKE_CURRENT_LIST_DIR}/src/yin.cpp
                      LIBS zid_core yinutils)
    target_compile_definitions(zid PRIVATE ZID_VERSION="${PROJECT_VERSION}")
endif()
