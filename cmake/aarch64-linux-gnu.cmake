# Toolchain for 64-bit ARM Linux, built here with Debian's cross compiler:
#   cmake -S . -B build-aarch64 --toolchain cmake/aarch64-linux-gnu.cmake
# The test executables run under qemu-user with the cross compiler's own runtime, so no ARM
# machine (nor a binfmt_misc registration) is needed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(MORV_AARCH64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${MORV_AARCH64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${MORV_AARCH64_TRIPLE}-g++)
set(CMAKE_NM ${MORV_AARCH64_TRIPLE}-nm)
# No find root: Debian's multiarch layout keeps target libraries in /usr/lib/aarch64-linux-gnu,
# which CMake searches first for this compiler's library architecture.

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/${MORV_AARCH64_TRIPLE})
