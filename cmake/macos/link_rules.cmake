# The macOS cross build's link of modules (read by cmake/macos-cross.cmake through
# CMAKE_USER_MAKE_RULES_OVERRIDE_CXX, after CMake's own Darwin rules): ld64.lld called directly,
# since Zig's linker cannot make a bundle.  Options that reach it through LINKER: go as they are.
# On arm64 lld signs its output ad hoc, as Apple's linker does; the signature names the file
# given to -o, so the module is linked under its final name.
set(CMAKE_CXX_LINKER_WRAPPER_FLAG "")
# Zig's clang passes no -v on to a linker: CMake's compiler probe must not ask it to.
set(CMAKE_C_VERBOSE_FLAG "-v")
set(CMAKE_CXX_VERBOSE_FLAG "-v")
set(CMAKE_CXX_CREATE_SHARED_MODULE
    "${MORV_LD64} -arch ${MORV_MACOS_ARCH} -platform_version macos ${CMAKE_OSX_DEPLOYMENT_TARGET} ${CMAKE_OSX_DEPLOYMENT_TARGET} -bundle -F ${MORV_MACOS_FRAMEWORKS} <LINK_FLAGS> -o <TARGET> <OBJECTS> <LINK_LIBRARIES> ${MORV_MACOS_LIBSYSTEM}")
