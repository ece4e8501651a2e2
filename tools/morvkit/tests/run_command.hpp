// run_command.hpp - runs the built morvkit binary and captures what it says.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace morvkit::testing {

struct CommandResult {
    int status = -1;  // exit status; -1 if it did not exit normally (a crash)
    std::string out;
    std::string err;
};

CommandResult run_morvkit(const std::vector<std::string> &args);
// The same with standard output going to `out` (a file, a device), appended to or truncated.
CommandResult run_morvkit(const std::vector<std::string> &args, const std::string &out,
                          bool append);
// The same with the bytes of `in` arriving on standard input through a pipe, or (`redirected`)
// with the file itself as standard input.
CommandResult run_morvkit_piped(const std::filesystem::path &in,
                                const std::vector<std::string> &args, bool redirected = false);

// A command left running, to be signalled or fed while it works; it leads a process group of
// its own.
class RunningCommand {
  public:
    explicit RunningCommand(const std::vector<std::string> &args);
    ~RunningCommand();  // kills it if it still runs
    void signal(int signal) const;
    int pid() const { return pid_; }
    // What it has written to standard error so far.
    std::string err() const;
    CommandResult wait();

  private:
    std::filesystem::path dir_;
    int pid_ = -1;
};

// CSV text as rows of cells; the header is row 0.
std::vector<std::vector<std::string>> split_csv(const std::string &text);
// The numeric rows of a CSV result (header dropped).
std::vector<std::vector<double>> csv_numbers(const std::string &text);

}  // namespace morvkit::testing
