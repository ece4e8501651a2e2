# Toolchain for 64-bit ARM Linux, built here with Debian's cross compiler:
#   cmake -S . -B build-aarch64 --toolchain cmake/aarch64-linux-gnu.cmake
# The test executables run under qemu-user, so no ARM machine (nor a binfmt_misc registration)
# is needed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(MORV_AARCH64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${MORV_AARCH64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${MORV_AARCH64_TRIPLE}-g++)
set(CMAKE_NM ${MORV_AARCH64_TRIPLE}-nm)
# No find root: Debian's multiarch layout keeps target libraries in /usr/lib/aarch64-linux-gnu
# (libsndfile1-dev:arm64 and the like), which CMake searches first for this compiler's library
# architecture; pkg-config is pointed at their descriptions the same way.  A library whose Debian
# packages are not multiarch (libsmf) cannot be installed beside the build machine's own: ./dev
# unpacks its arm64 packages into arm64-root/ of the build folder, whose descriptions come first.
# This file is read again for every check that compiles, in a folder of its own; the search path
# is set from the build folder's read alone, and the environment keeps it.
get_property(morv_in_try_compile GLOBAL PROPERTY IN_TRY_COMPILE)
if(NOT morv_in_try_compile)
    set(ENV{PKG_CONFIG_LIBDIR}
        "${CMAKE_BINARY_DIR}/arm64-root/usr/lib/${MORV_AARCH64_TRIPLE}/pkgconfig:\
/usr/lib/${MORV_AARCH64_TRIPLE}/pkgconfig:/usr/share/pkgconfig")
endif()

# They run on Debian's arm64 runtime (libc6:arm64 and the rest, which the libraries above bring),
# as on an ARM machine.  Not on the cross compiler's own copy in /usr/aarch64-linux-gnu: with the
# multiarch packages present, its loader would pick up the multiarch C library of another Debian
# revision, and a child process would hang in fork.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
