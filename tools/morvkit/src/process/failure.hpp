// failure.hpp - what a command that failed tells its user: one line and an exit status.
//
// The main program and each child process that works for it describe a failure the same way:
// an Error by its message and status, a signal that stopped the run by its name and 128 + its
// number (as a shell reports a process that the signal ended), anything else as an analysis
// failure.
#pragma once

#include <exception>
#include <string>

namespace morvkit {

struct Failure {
    int status;
    std::string message;  // without the "morvkit: " prefix
};

Failure describe_failure(std::exception_ptr failure);

// Writes "morvkit: " + `text` as a line on stderr in one write, so that the lines of processes
// running at once do not interleave.
void say_line(const std::string &text);

}  // namespace morvkit
