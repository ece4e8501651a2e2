// turns.hpp - sine and cosine of a whole number of turns, the same to the last bit on every
// platform.
//
// The platforms' libm give sin and cos that differ in the last bit, which would make the stand-in
// host's spectra (and so the objects' output) differ between Linux and Windows.  These use only
// exact reductions and a fixed series in plain IEEE double arithmetic, so every build computes
// the same values; they are within a few 1e-17 of the true ones.  The host's spectra use them, and
// so can whoever needs test signals that are the same on every platform.
#pragma once

namespace morvhost {

struct SinCos {
    double sin, cos;
};

// sin(2 pi t) and cos(2 pi t).
SinCos sincos_turns(double t);

}  // namespace morvhost
