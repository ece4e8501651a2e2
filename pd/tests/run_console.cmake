# A console test: Pd runs PATCH (which quits Pd itself) and must print, line for line, what the
# file EXPECTED holds.  Run as cmake -P with PD, PATCH and EXPECTED set.
include(${CMAKE_CURRENT_LIST_DIR}/run_pd.cmake)
morv_run_pd(${PATCH} console)
file(READ ${EXPECTED} expected)
if(NOT console STREQUAL expected)
    message(FATAL_ERROR "Pd printed:\n${console}\ninstead of:\n${expected}")
endif()
