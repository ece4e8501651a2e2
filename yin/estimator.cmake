# The lag estimator (estimator/): library, tests, benchmark.
#
# yinutils is a static library without any host dependency, so every module that estimates lags
# and the tests link it alike; estimator/include holds what its users may call, estimator/src the
# rest.  The portable correlation routine is always built (the tests use it as the reference);
# on Apple (and in the build against the Accelerate stand-in) the estimator correlates and
# transforms with Accelerate instead.
set(YINUTILS_DIR ${CMAKE_CURRENT_LIST_DIR})
set(YIN_ESTIMATOR_DIR ${YINUTILS_DIR}/estimator)

add_library(yinutils STATIC ${YIN_ESTIMATOR_DIR}/src/yinutils.cpp
                            ${YIN_ESTIMATOR_DIR}/src/yin_correlation_dispatch.cpp
                            ${YIN_ESTIMATOR_DIR}/src/yin_correlation_portable.cpp
                            ${YIN_ESTIMATOR_DIR}/src/yin_correlation_fft.cpp)
# The FFT for long windows and the direct correlation's fastest routine.  The Apple code paths
# (Accelerate's vDSP_fft_zripD and vDSP_conv) on Apple and against the Accelerate stand-in;
# elsewhere kissfft's header-only template (cmake/MorvKissfft.cmake), compiled into the module, and
# the x86 vector variants where they apply.
if(APPLE OR MORV_ACCELERATE_STANDIN)
    target_sources(yinutils PRIVATE ${YIN_ESTIMATOR_DIR}/src/yin_fft_accelerate.cpp
                                    ${YIN_ESTIMATOR_DIR}/src/yin_correlation_accelerate.cpp)
    target_compile_definitions(yinutils PUBLIC MORV_YIN_ACCELERATE)
    target_link_libraries(yinutils PUBLIC morv_accelerate)
else()
    target_sources(yinutils PRIVATE ${YIN_ESTIMATOR_DIR}/src/yin_fft_kiss.cpp)
    # GCC's flag only: clang (the fuzzers' build) does not know it.
    set_source_files_properties(${YIN_ESTIMATOR_DIR}/src/yin_fft_kiss.cpp PROPERTIES
                                COMPILE_OPTIONS "$<$<CXX_COMPILER_ID:GNU>:-fcx-limited-range>")
    target_link_libraries(yinutils PRIVATE morv_kissfft)
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|x64)$")
        # The vector variants: only their own files get the instruction sets, so the rest of the
        # module still runs on any x86-64; the dispatcher picks one at load time from what the
        # CPU has.
        set(avx2 ${YIN_ESTIMATOR_DIR}/src/yin_correlation_avx2.cpp)
        set(avx512 ${YIN_ESTIMATOR_DIR}/src/yin_correlation_avx512.cpp)
        target_sources(yinutils PRIVATE ${avx2} ${avx512})
        set_source_files_properties(${avx2} PROPERTIES COMPILE_OPTIONS "-mavx2;-mfma")
        set_source_files_properties(${avx512} PROPERTIES COMPILE_OPTIONS "-mavx512f")
        if(MINGW)
            # Win64 GCC cannot realign the stack for 32- and 64-byte vectors: spill them unaligned.
            set_property(SOURCE ${avx2} ${avx512} APPEND PROPERTY COMPILE_OPTIONS
                         "-Wa,-muse-unaligned-vector-move")
        endif()
        target_compile_definitions(yinutils PRIVATE MORV_YIN_X86_VARIANTS)
    endif()
endif()
target_include_directories(yinutils PUBLIC ${YIN_ESTIMATOR_DIR}/include
                           PRIVATE ${YIN_ESTIMATOR_DIR}/src)
set_target_properties(yinutils PROPERTIES POSITION_INDEPENDENT_CODE ON)
# The estimator's arithmetic is defined operation by operation; keep the compiler from fusing.
target_compile_options(yinutils PRIVATE -ffp-contract=off)
morv_hide_symbols(yinutils)

morv_add_test(yinutils_test SOURCES ${YINUTILS_DIR}/tests/yinutils_test.cpp LIBS yinutils)
morv_add_test(yinutils_dips_test SOURCES ${YINUTILS_DIR}/tests/yinutils_dips_test.cpp LIBS yinutils)
morv_add_test(yin_correlation_test SOURCES ${YINUTILS_DIR}/tests/yin_correlation_test.cpp LIBS yinutils)
# These test the dip search and the transform, which the library keeps to itself.
if(TARGET yinutils_test)
    foreach(t yinutils_test yinutils_dips_test yin_correlation_test)
        target_include_directories(${t} PRIVATE ${YIN_ESTIMATOR_DIR}/src)
    endforeach()
endif()

if(MORV_BUILD_BENCHMARKS)
    find_package(benchmark REQUIRED)
    add_executable(yinutils_bench ${YINUTILS_DIR}/bench/yinutils_bench.cpp)
    target_link_libraries(yinutils_bench PRIVATE yinutils benchmark::benchmark_main)
endif()
