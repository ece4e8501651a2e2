# The pfft~ container of the stand-in host: its sources join the morvhost library; its tests
# follow.  FFTW3 in double precision does the transforms.
if(NOT TARGET morv_fftw3)
    add_library(morv_fftw3 INTERFACE)
    find_package(PkgConfig QUIET)
    if(PKG_CONFIG_FOUND)
        pkg_check_modules(MORV_FFTW3 IMPORTED_TARGET fftw3)
    endif()
    if(MORV_FFTW3_FOUND)
        target_link_libraries(morv_fftw3 INTERFACE PkgConfig::MORV_FFTW3)
    else()
        find_path(MORV_FFTW3_INCLUDE fftw3.h REQUIRED)
        find_library(MORV_FFTW3_LIBRARY fftw3 REQUIRED)
        target_include_directories(morv_fftw3 INTERFACE ${MORV_FFTW3_INCLUDE})
        target_link_libraries(morv_fftw3 INTERFACE ${MORV_FFTW3_LIBRARY})
    endif()
endif()

target_sources(morvhost PRIVATE ${CMAKE_CURRENT_LIST_DIR}/src/pfft.cpp
                                ${CMAKE_CURRENT_LIST_DIR}/src/pfft_analysis.cpp)
target_link_libraries(morvhost PRIVATE morv_fftw3)

# The spectral front end needs no host: its test compiles it in directly.
morv_add_test(pfft_analysis_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/pfft_analysis_test.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/src/pfft_analysis.cpp
              LIBS morv_fftw3)
target_include_directories(pfft_analysis_test PRIVATE ${CMAKE_CURRENT_LIST_DIR}/src)
morv_add_test(pfft_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/pfft_test.cpp LIBS morvhost morv_seam)
