# A help patch runs: loaded (as an abstraction of the patch PATCH) with audio on for two seconds
# of Pd's time, without an error in Pd's console.  Run as cmake -P with PD and PATCH set.
include(${CMAKE_CURRENT_LIST_DIR}/run_pd.cmake)
morv_run_pd(${PATCH} console)
if(console MATCHES "(^|\n)error")
    message(FATAL_ERROR "Pd reported an error:\n${console}")
endif()
