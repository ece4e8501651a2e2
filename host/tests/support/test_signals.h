// test_signals.h - signals shared by the test suites.
//
// Uniform noise in [-1, 1) from a fixed seed, so every failure reproduces exactly.
#pragma once

#include <cstddef>
#include <random>
#include <vector>

namespace morvtest {

inline std::vector<double> uniform_noise(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> dist(-1.0, 1.0);
    std::vector<double> v(n);
    for (double &s : v) {
        s = dist(gen);
    }
    return v;
}

}  // namespace morvtest
