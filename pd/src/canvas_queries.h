// canvas_queries.h - what a Pd object learns from the patch around it at dsp time: whether an
// inlet carries a signal connection, and the sample rate of the frames a spectral subpatch
// hands over.  Main thread only (dsp methods); they read the patch and change nothing.
#pragma once

#include "m_pd.h"

namespace morv::pd {

// Whether any signal outlet of an object in `canvas` is connected to inlet `inlet` of `object`.
// A control connection (a number sent to a signal inlet) does not count: like the Max object,
// the Pd object chooses its kernel by the signals it receives.
bool inlet_has_signal(t_glist *canvas, const t_object *object, int inlet);

// The rate, in Hz, at which the samples of the frames reaching an object in `canvas` were taken.
// Pd hands a subpatch's objects `signal_rate` = parent rate x overlap x resampling; the overlaps
// of every block~ or switch~ from `canvas` up to the top-level patch are divided out, which
// leaves Pd's rate times the subpatch's resampling.  An overlap is read from the object's
// creation arguments (a number, or a $ argument of its patch); one given later by a "set"
// message is not seen.
double frame_rate(t_glist *canvas, t_float signal_rate);

}  // namespace morv::pd
