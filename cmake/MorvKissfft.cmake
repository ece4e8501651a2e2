# morv_kissfft: kissfft's header-only C++ template (BSD-3-Clause), for the stand-in pfft~ and the
# FFT path of zid~.  Only the header's own folder goes on the include path, never the rest of the
# build machine's headers, so a cross build takes the same plain header.
find_path(MORV_KISSFFT_INCLUDE kissfft.hh REQUIRED PATH_SUFFIXES kissfft NO_CMAKE_FIND_ROOT_PATH)
add_library(morv_kissfft INTERFACE)
target_include_directories(morv_kissfft SYSTEM INTERFACE ${MORV_KISSFFT_INCLUDE})
