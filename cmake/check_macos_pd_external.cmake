# Checks one Pd external for macOS as Pd loads it (run by CTest through `cmake -P`):
#   -DFILE=<N.d_fat> -DENTRY=<_ + its setup routine> -DARCHS=<arm64,x86_64>
#   -DMIN_VERSION=<macOS version> -DHOST_NAMES=<pd.def> -DLIPO= -DNM= -DOBJDUMP=<tools>
# A Pd external is the bare executable, with no bundle directory around it: the checks of
# check_macos_executable.cmake, Pd's names being the host operations left to the loader.
include(${CMAKE_CURRENT_LIST_DIR}/check_macos_executable.cmake)
if(NOT EXISTS "${FILE}")
    message(FATAL_ERROR "${FILE} does not exist")
endif()
check_macos_executable(${FILE})
if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "${FILE}:\n  ${text}")
endif()
string(JOIN " and " archs ${archs})
message(STATUS "${FILE}: ${archs}, exports ${ENTRY} alone, macOS ${MIN_VERSION}")
