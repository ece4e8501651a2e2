// run_command.hpp - runs the built morvkit binary and captures what it says.
#pragma once

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

// CSV text as rows of cells; the header is row 0.
std::vector<std::vector<std::string>> split_csv(const std::string &text);
// The numeric rows of a CSV result (header dropped).
std::vector<std::vector<double>> csv_numbers(const std::string &text);

}  // namespace morvkit::testing
