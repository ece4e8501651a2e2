# morv_accelerate: Accelerate's vDSP for the code that calls it (zid~'s Apple paths).
#
# The sources include accelerate/include/accelerate_vdsp.h, which takes Apple's own header where it
# exists and otherwise declares the few routines used, from their documented prototypes.  On Apple
# the routines come from the system framework.  Elsewhere MORV_ACCELERATE_STANDIN builds zid~ with
# its Apple code paths all the same, against the project's stand-in of those routines
# (accelerate/standin/), so they are compiled and tested here.
option(MORV_ACCELERATE_STANDIN "Build zid~'s Apple code paths against the stand-in of vDSP" OFF)
add_library(morv_accelerate INTERFACE)
target_include_directories(morv_accelerate INTERFACE ${PROJECT_SOURCE_DIR}/accelerate/include)
if(APPLE)
    target_link_libraries(morv_accelerate INTERFACE "-framework Accelerate")
elseif(MORV_ACCELERATE_STANDIN)
    target_link_libraries(morv_accelerate INTERFACE morv_vdsp_standin)  # accelerate/standin/
endif()
