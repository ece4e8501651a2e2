// centroid.h - the instance record of morv.centroid~.
//
// The kernels read only `samplerate`; the object's dsp64 stores it (and `input_mode`) before it
// hands a kernel to the host, so the audio thread never sees a half-written record.
#pragma once

#include <stdint.h>

#include "ext.h"
#include "z_dsp.h"

typedef struct _centroid {
    t_pxobject x_obj;     // signal header; its flags word carries Z_NO_INPLACE
    t_object *pfft_host;  // the enclosing pfft~, not owned; null while none has been found
    t_object *splash;     // the owned morv.splash companion; storage of the attribute "splash"
    int32_t input_mode;   // 0: no kernel, 1: amplitude kernel, 2: complex kernel
    double samplerate;    // Hz, from the last dsp64 that found a container
} centroid_t;
