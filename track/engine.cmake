# The tracking engine: candidates, decoder, notes and the pipeline that joins them to the lag
# estimator.  No host dependency: the module, the tests and the benchmark link it alike.
set(TRACK_ENGINE_DIR ${CMAKE_CURRENT_LIST_DIR}/engine)
add_library(track_engine STATIC ${TRACK_ENGINE_DIR}/track_candidates.cpp
                                ${TRACK_ENGINE_DIR}/track_decoder.cpp
                                ${TRACK_ENGINE_DIR}/track_notes.cpp
                                ${TRACK_ENGINE_DIR}/track_engine.cpp)
target_include_directories(track_engine PUBLIC ${TRACK_ENGINE_DIR})
# The estimator's difference function; zid~'s decimation.
target_link_libraries(track_engine PUBLIC yinutils zid_core)
morv_hide_symbols(track_engine)
# Operation by operation as written, as the estimator: the same results on every platform.
target_compile_options(track_engine PRIVATE -ffp-contract=off)

morv_add_test(track_engine_test
    SOURCES ${TRACK_ENGINE_DIR}/tests/track_candidates_test.cpp
            ${TRACK_ENGINE_DIR}/tests/track_decoder_test.cpp
            ${TRACK_ENGINE_DIR}/tests/track_notes_test.cpp
            ${TRACK_ENGINE_DIR}/tests/track_engine_test.cpp
    LIBS track_engine)

if(MORV_BUILD_BENCHMARKS)
    # Runs the engine over WAV files, for speed and for the accuracy benchmark's scoring.
    add_executable(track_engine_run ${TRACK_ENGINE_DIR}/bench/track_engine_run.cpp)
    target_link_libraries(track_engine_run PRIVATE track_engine)
endif()
