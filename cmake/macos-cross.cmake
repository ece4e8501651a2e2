# Toolchain for macOS modules built here, one processor per build tree:
#   cmake -S . -B build-macos/arm64 --toolchain cmake/macos-cross.cmake -DMORV_MACOS_ARCH=arm64
# (or x86_64).  Zig's clang compiles against the macOS C and C++ headers Zig ships; Debian's
# ld64.lld links the Mach-O bundles (Zig's own linker cannot make one; see macos/link_rules.cmake).
# cmake/macos/CMakeLists.txt drives both trees and joins their bundles into universal ones; the
# tools are found by cmake/macos/tools.cmake.
set(CMAKE_SYSTEM_NAME Darwin)
set(MORV_MACOS_ARCH "" CACHE STRING "The one processor of this tree: arm64 or x86_64")
if(NOT MORV_MACOS_ARCH MATCHES "^(arm64|x86_64)$")
    message(FATAL_ERROR "MORV_MACOS_ARCH must be arm64 or x86_64, not '${MORV_MACOS_ARCH}'")
endif()
set(CMAKE_SYSTEM_PROCESSOR ${MORV_MACOS_ARCH})
# The compiler checks run this file again in projects of their own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MORV_MACOS_ARCH)

include(${CMAKE_CURRENT_LIST_DIR}/macos/tools.cmake)
# Zig ships headers from macOS 11 on, the oldest release Apple silicon runs: the deployment
# target of both processors' slices (set, with the Mac build's, in the top CMakeLists.txt).
string(REPLACE arm64 aarch64 zig_arch ${MORV_MACOS_ARCH})
# With the target known, CMake identifies the compiler from an object file: linking a program
# would first have Zig build libc++ for the target, for minutes.
set(CMAKE_C_COMPILER ${MORV_ZIG} cc)
set(CMAKE_CXX_COMPILER ${MORV_ZIG} c++)
set(CMAKE_C_COMPILER_TARGET ${zig_arch}-macos.${CMAKE_OSX_DEPLOYMENT_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${CMAKE_C_COMPILER_TARGET})
# Zig's clang prepares its libc++ headers for a libc++ linked into the program; the modules use the
# system's, as with Xcode: the headers' annotations for it go back on, so that anything newer than
# the deployment target's libc++ is refused at compile time.
string(JOIN " " CMAKE_CXX_FLAGS_INIT -U_LIBCPP_HAS_NO_VENDOR_AVAILABILITY_ANNOTATIONS
       -U_LIBCPP_DISABLE_VISIBILITY_ANNOTATIONS -U_LIBCXXABI_DISABLE_VISIBILITY_ANNOTATIONS)
set(CMAKE_AR ${MORV_LLVM_AR})
set(CMAKE_RANLIB ${MORV_LLVM_RANLIB})
# Each tree builds one slice: no -arch flags.
set(CMAKE_OSX_ARCHITECTURES "")
set(CMAKE_USER_MAKE_RULES_OVERRIDE_C ${CMAKE_CURRENT_LIST_DIR}/macos/link_rules.cmake)
set(CMAKE_USER_MAKE_RULES_OVERRIDE_CXX ${CMAKE_CURRENT_LIST_DIR}/macos/link_rules.cmake)
# Only modules are linked here, and by lld: CMake's compiler checks need not link programs.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

# Nothing of the build machine's own libraries or headers is found for the modules.
set(CMAKE_FIND_ROOT_PATH ${MORV_MACOS_LIBC})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
