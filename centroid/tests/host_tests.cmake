# Tests of morv.centroid~ running in the stand-in host.  The object test registers its own spy
# morv.splash; the no-splash test loads no companion at all, so each needs its own executable.
morv_add_test(centroid_graph_test SOURCES tests/centroid_graph_test.cpp
              LIBS morvhost morv_seam centroid_kernels MODULES morv_centroid morv_splash)
morv_add_test(centroid_object_test SOURCES tests/centroid_object_test.cpp
              LIBS morvhost morv_seam centroid_kernels MODULES morv_centroid)
morv_add_test(centroid_nosplash_test SOURCES tests/centroid_nosplash_test.cpp
              LIBS morvhost morv_seam centroid_kernels MODULES morv_centroid)
morv_add_test(centroid_pfft_test SOURCES tests/centroid_pfft_test.cpp
              LIBS morvhost morv_seam centroid_kernels MODULES morv_centroid morv_splash)
