/*
 * z_dsp.h - the signal side of the host interface: the signal-object header, its flags, and the
 * calls that put an object into the signal graph.
 *
 * Same names, signatures and layouts as the vendor's SDK; see ext.h for the contract.
 */
#ifndef MORV_SEAM_Z_DSP_H
#define MORV_SEAM_Z_DSP_H

#include "ext.h"

#define SYS_MAXBLKSIZE 2048
#define MAXLOGSIG 13
#define MC_MAX_CHANS 1024

typedef double t_sample;

enum {
    Z_NO_INPLACE = 1,
    Z_PUT_LAST = 2,
    Z_PUT_FIRST = 4,
    Z_IGNORE_DISABLE = 8,
    Z_DONT_ADD = 16,
    Z_MC_INLETS = 32
};

BEGIN_USING_C_LINKAGE

/* Header of every signal object.  z_disabled is set by the host while the object is muted;
 * z_misc holds the Z_ flags above. */
typedef struct t_pxobject {
    struct object z_ob;
    long z_in;
    void *z_proxy;
    long z_disabled;
    short z_count;
    short z_misc;
} t_pxobject;

typedef void (*t_perfroutine64)(t_object *x, t_object *dsp64, double **ins, long numins,
                                double **outs, long numouts, long sampleframes, long flags,
                                void *userparam);

void class_dspinit(t_class *c);
void z_dsp_setup(t_pxobject *x, long nsignals);
void z_dsp_free(t_pxobject *x);
void dsp_add64(t_object *chain, t_object *x, t_perfroutine64 f, long flags, void *userparam);

#define dsp_setup z_dsp_setup
#define dsp_free z_dsp_free

END_USING_C_LINKAGE

#endif
