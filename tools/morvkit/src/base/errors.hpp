// errors.hpp - the failures the command reports, each with its exit status.
//
// Every failure that reaches the user is one of these: `main` prints its message as one line on
// stderr and exits with its status.  Statuses are stable, documented, and distinct per kind of
// cause so that scripts can tell a bad command line from a bad file from a full disk.
#pragma once

#include <stdexcept>
#include <string>

namespace morvkit {

enum class ExitStatus : int {
    ok = 0,
    analysis = 1,  // the host could not load, create or run the objects
    usage = 2,     // the command line itself is wrong
    input = 3,     // the audio file cannot be used
    output = 4,    // a result file cannot be written
};

// A failed child process's exit status as the command's own: the same kind when it is one of
// these, else an analysis failure (a crash, a signal).
inline ExitStatus exit_status_of(int status) {
    return status >= 1 && status <= static_cast<int>(ExitStatus::output)
               ? static_cast<ExitStatus>(status)
               : ExitStatus::analysis;
}

class Error : public std::runtime_error {
  public:
    Error(ExitStatus status, const std::string &message)
        : std::runtime_error(message), status_(status) {}
    ExitStatus status() const { return status_; }

  private:
    ExitStatus status_;
};

}  // namespace morvkit
