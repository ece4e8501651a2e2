# The pfft~ container of the stand-in host: its sources join the morvhost library; its tests
# follow.  kissfft's header-only C++ template does the transforms in double precision; it is a
# plain header, so the cross build uses the same one (only its own folder goes on the include
# path, never the rest of the build machine's headers).
if(NOT TARGET morv_kissfft)
    find_path(MORV_KISSFFT_INCLUDE kissfft.hh REQUIRED PATH_SUFFIXES kissfft NO_CMAKE_FIND_ROOT_PATH)
    add_library(morv_kissfft INTERFACE)
    target_include_directories(morv_kissfft SYSTEM INTERFACE ${MORV_KISSFFT_INCLUDE})
endif()

# The window and the twiddles are the same on every platform only if no operation is fused.
set(spectral_sources ${CMAKE_CURRENT_LIST_DIR}/src/pfft_analysis.cpp
                     ${CMAKE_CURRENT_LIST_DIR}/src/turns.cpp)
set_source_files_properties(${spectral_sources} PROPERTIES COMPILE_OPTIONS -ffp-contract=off)
target_sources(morvhost PRIVATE ${CMAKE_CURRENT_LIST_DIR}/src/pfft.cpp ${spectral_sources})
target_link_libraries(morvhost PRIVATE morv_kissfft)

# The spectral front end needs no host: its test compiles it in directly.
morv_add_test(pfft_analysis_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/pfft_analysis_test.cpp
                                         ${spectral_sources}
              LIBS morv_kissfft)
target_include_directories(pfft_analysis_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/src)
morv_add_test(pfft_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/pfft_test.cpp LIBS morvhost morv_seam)
