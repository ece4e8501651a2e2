# macOS modules as the host loads them: a bundle directory N.mxo holding Contents/Info.plist,
# Contents/PkgInfo and the executable Contents/MacOS/N, which exports its entry alone and leaves
# the host's operations to the loader.
#   morv_make_bundle(<target> <class name> <entry> <folder>)   (morv_add_external, on Apple)
# Both processors and the deployment target are set before project() (top CMakeLists.txt).  On a
# Mac the bundle is signed ad hoc after the build when codesign is there; in the cross build
# (cmake/macos-cross.cmake) lld signs the arm64 slice as it links.  Every bundle is listed in
# <build>/macos-bundles.cmake with its check's arguments, from which cmake/macos/CMakeLists.txt
# joins the cross build's two slices into one universal bundle and checks it.

# A module's type and creator, eight bytes without a newline.
file(WRITE ${CMAKE_BINARY_DIR}/PkgInfo "iLaX????")
set(MORV_BUNDLE_LIST ${CMAKE_BINARY_DIR}/macos-bundles.cmake)
file(WRITE ${MORV_BUNDLE_LIST}
     "# This tree's bundles (cmake/MorvBundle.cmake): folder, class name, check's arguments.\n")
if(NOT CMAKE_CROSSCOMPILING)
    find_program(MORV_CODESIGN codesign)
    find_program(MORV_LIPO lipo)
    find_program(MORV_MACHO_NM nm)
    find_program(MORV_MACHO_OBJDUMP NAMES llvm-objdump objdump)
    find_program(MORV_XMLLINT xmllint)
endif()

function(morv_make_bundle target name entry folder)
    # The identifier's last part is the class name as Xcode's rfc1034identifier writes it.
    string(REGEX REPLACE "[^A-Za-z0-9.-]" "-" id "${name}")
    set_target_properties(${target} PROPERTIES
        BUNDLE TRUE BUNDLE_EXTENSION mxo SUFFIX ""
        MACOSX_BUNDLE_INFO_PLIST ${MORV_CMAKE_DIR}/macos/Info.plist.in
        MACOSX_BUNDLE_GUI_IDENTIFIER ${MORV_REVERSE_DOMAIN}.${id}
        MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION}
        MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
        MACOSX_BUNDLE_LONG_VERSION_STRING "${name} ${PROJECT_VERSION} - ${MORV_COPYRIGHT}"
        MACOSX_BUNDLE_COPYRIGHT "${MORV_COPYRIGHT}")
    target_link_options(${target} PRIVATE LINKER:-undefined,dynamic_lookup
                                          LINKER:-exported_symbol,_${entry})
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/PkgInfo
                $<TARGET_BUNDLE_CONTENT_DIR:${target}>/PkgInfo)
    if(MORV_CODESIGN)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${MORV_CODESIGN} -s - -f $<TARGET_BUNDLE_DIR:${target}>)
    endif()

    # The host's operations are the names of the Windows import lists.
    set(host_names ${MORV_CMAKE_DIR}/windows/MaxAPI.def ${MORV_CMAKE_DIR}/windows/MaxAudio.def)
    string(JOIN "," host_names ${host_names})
    set(check "-DNAME=${name}" -DENTRY=_${entry} -DIDENTIFIER=${MORV_REVERSE_DOMAIN}.${id}
              -DVERSION=${PROJECT_VERSION} "-DCOPYRIGHT=${MORV_COPYRIGHT}"
              -DMIN_VERSION=${MORV_MACOS_MIN_VERSION} -DHOST_NAMES=${host_names})
    file(APPEND ${MORV_BUNDLE_LIST} "morv_bundle(${folder} [[${name}]] [[${check}]])\n")
    if(MORV_LIPO AND MORV_MACHO_NM AND MORV_MACHO_OBJDUMP AND MORV_XMLLINT)
        string(REPLACE ";" "," archs "${CMAKE_OSX_ARCHITECTURES}")
        add_test(NAME ${target}.bundle
                 COMMAND ${CMAKE_COMMAND} -DBUNDLE=$<TARGET_BUNDLE_DIR:${target}> -DARCHS=${archs}
                         -DLIPO=${MORV_LIPO} -DNM=${MORV_MACHO_NM} -DOBJDUMP=${MORV_MACHO_OBJDUMP}
                         -DXMLLINT=${MORV_XMLLINT}
                         ${check} -P ${MORV_CMAKE_DIR}/check_macos_bundle.cmake)
    endif()
endfunction()
