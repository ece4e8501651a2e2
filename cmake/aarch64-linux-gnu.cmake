# Toolchain for 64-bit ARM Linux, built here with Debian's cross compiler:
#   cmake -S . -B build-aarch64 --toolchain cmake/aarch64-linux-gnu.cmake
# The test executables run under qemu-user with the cross compiler's own sysroot, so no aarch64
# machine (nor binfmt_misc) is needed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(MORV_AARCH64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${MORV_AARCH64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${MORV_AARCH64_TRIPLE}-g++)
set(CMAKE_NM ${MORV_AARCH64_TRIPLE}-nm)

set(CMAKE_FIND_ROOT_PATH /usr/${MORV_AARCH64_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/${MORV_AARCH64_TRIPLE})
