# The morv.track~ module and its tests in the stand-in host.
morv_add_external(morv_track NAME "morv.track~" ENTRY main
                  SOURCES ${CMAKE_CURRENT_LIST_DIR}/src/track.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/src/track_queue.cpp
                  LIBS track_engine morv_version)

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
endif()
