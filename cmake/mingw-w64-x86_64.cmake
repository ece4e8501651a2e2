# Toolchain for 64-bit Windows modules built here with Debian's MinGW-w64 cross compiler (the
# posix thread model, which std::thread and std::mutex need):
#   cmake -S . -B build-win64 --toolchain cmake/mingw-w64-x86_64.cmake
# The test executables then run under wine64 (see cmake/MorvWindows.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MORV_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MORV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MORV_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${MORV_MINGW_TRIPLE}-dlltool)
set(CMAKE_OBJDUMP ${MORV_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${MORV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime everywhere: a module, the host's DLLs and the tests need nothing but each other
# and the system's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
