# The macOS cross build's link of modules (read by cmake/macos-cross.cmake through
# CMAKE_USER_MAKE_RULES_OVERRIDE_<LANG>, after CMake's own Darwin rules): ld64.lld called directly,
# since Zig's linker cannot make a bundle.  Options that reach it through LINKER: go as they are.
# On arm64 lld signs its output ad hoc, as Apple's linker does; the signature names the file
# given to -o, so the module is linked under its final name.
set(CMAKE_CXX_LINKER_WRAPPER_FLAG "")
# CMake probes a compiler with "-v -Wl,-v", and Zig refuses the second even when only compiling.
set(CMAKE_C_VERBOSE_FLAG "-v")
set(CMAKE_CXX_VERBOSE_FLAG "-v")
set(macos ${CMAKE_OSX_DEPLOYMENT_TARGET})  # the oldest macOS and the headers' (Zig's macOS 11)
set(CMAKE_CXX_CREATE_SHARED_MODULE
    "${MORV_LD64} -arch ${MORV_MACOS_ARCH} -platform_version macos ${macos} ${macos} -bundle"
    "-F ${MORV_MACOS_FRAMEWORKS} <LINK_FLAGS> -o <TARGET> <OBJECTS> <LINK_LIBRARIES>"
    "${MORV_MACOS_LIBSYSTEM}")
string(JOIN " " CMAKE_CXX_CREATE_SHARED_MODULE ${CMAKE_CXX_CREATE_SHARED_MODULE})
