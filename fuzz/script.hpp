// script.hpp - what the host harnesses share: a fuzz input read as a script of steps, the
// signals its steps describe, a work budget per input, and the failure report.
//
// A script is text, so seeds can be written by hand and the dictionary's words land where they
// mean something.  Its first line is the box text; every later line is one step, named by its
// first byte, the rest of the line being the step's argument.  Numbers in arguments are read as
// the host reads them (integers, decimals, "nan", "inf"); what is left after them is a signal
// pattern.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace morvfuzz {

class Script {
  public:
    Script(const std::uint8_t *data, std::size_t size);
    std::string_view box_text() const { return box_text_; }
    // The next step: false at the end of the input.
    bool next(char &op, std::string_view &arg);
    // Hands every remaining step to session.step(op, arg).
    template <class Session>
    void play(Session &session) {
        char op;
        std::string_view arg;
        while (next(op, arg)) session.step(op, arg);
    }

  private:
    std::string_view rest_;
    std::string_view box_text_;
};

// Reads a leading number (after blanks) from `arg` and drops it from the front; `fallback` when
// there is none.
long take_long(std::string_view &arg, long fallback);
double take_double(std::string_view &arg, double fallback);

// Maps any integer onto 1 .. limit, keeping those already there.
long into_range(long value, long limit);

// A repeating signal described by the bytes of a pattern: each byte a sample (signed, /128), so
// a short pattern is a periodic wave; or, after a leading 'f', raw 32-bit floats, any bit pattern
// (NaN, infinities, denormals, huge values).  An empty pattern is silence.
class Pattern {
  public:
    Pattern() = default;
    explicit Pattern(std::string_view bytes);
    bool raw() const { return raw_; }
    void fill(double *out, long n);

  private:
    std::vector<double> samples_{0.0};
    std::size_t phase_ = 0;
    bool raw_ = false;
};

// The analysis work one input may ask for, in multiply-adds or samples, so that no input takes
// more than a few milliseconds and the fuzzer keeps its pace.
class Budget {
  public:
    explicit Budget(std::int64_t total) : left_(total) {}
    // Spends `cost` if it is left; false (spending nothing) otherwise.
    bool spend(std::int64_t cost);
    std::int64_t left() const { return left_; }

  private:
    std::int64_t left_;
};

// Reports a broken invariant and aborts, which the fuzzer records as a crash with its input.
[[noreturn]] void fail(const char *format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace morvfuzz
