// turns.cpp - platform-exact sine and cosine: quadrant reduction in turns, then Taylor series.
#include "morvhost/turns.hpp"

#include <cmath>

namespace morvhost {

SinCos sincos_turns(double t) {
    // t - floor(t) and the quadrant offsets are exact, so the reduction adds no error.
    const double r = t - std::floor(t);  // [0, 1)
    const double q = std::floor(4.0 * r);
    const double x = 6.283185307179586 * (r - 0.25 * q);  // [0, pi/2)
    const double x2 = x * x;
    // Both series to x^25: the next terms are below 1e-22 on [0, pi/2).
    double s = 0.0, c = 0.0;
    double s_term = x, c_term = 1.0;
    for (int n = 1; n <= 25; n += 2) {
        s += s_term;
        c += c_term;
        s_term *= -x2 / static_cast<double>((n + 1) * (n + 2));
        c_term *= -x2 / static_cast<double>(n * (n + 1));
    }
    if (q == 0.0)
        return {s, c};
    if (q == 1.0)
        return {c, -s};
    if (q == 2.0)
        return {-s, -c};
    return {-c, s};
}

}  // namespace morvhost
