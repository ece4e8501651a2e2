# The pfft~ container of the stand-in host: its sources join the morvhost library; its tests
# follow.  kissfft's header-only C++ template (cmake/MorvKissfft.cmake) does the transforms in
# double precision.

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
target_include_directories(pfft_analysis_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/src
                                                      ${CMAKE_CURRENT_LIST_DIR}/embed)
morv_add_test(pfft_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/pfft_test.cpp LIBS morvhost morv_seam)
