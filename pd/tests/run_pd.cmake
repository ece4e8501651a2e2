# morv_run_pd(<patch> <console variable>): runs PD (the command line, a list) on a patch that
# quits Pd when it is done, and stores what Pd printed.  Fails the test when Pd does not end on
# its own within a minute, ends abnormally (a crash), or could not create an object.
function(morv_run_pd patch out)
    execute_process(COMMAND ${PD} ${patch} RESULT_VARIABLE status OUTPUT_VARIABLE text
                    ERROR_VARIABLE text TIMEOUT 60)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "Pd ended with '${status}'; it said:\n${text}")
    endif()
    if(text MATCHES "couldn't create")
        message(FATAL_ERROR "Pd could not create an object:\n${text}")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()
