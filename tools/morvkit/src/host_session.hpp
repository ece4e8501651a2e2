// host_session.hpp - the stand-in host prepared for one run of the command.
//
// `prepare_host` points the host at one package (chosen as modules.hpp says); `create_box` makes a
// box as a user types it and turns a failure into an Error that repeats the host's console
// explanation.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "morvhost/host.hpp"

namespace morvkit {

// Loads the package's extensions and adds its externals folder to the host's search path.
void prepare_host(const std::vector<std::filesystem::path> &user_folders);
// The last console error, or "" when there is none.
std::string last_console_error();
// Throws Error(analysis) with the console's reason when the box cannot be made, and
// Error(usage) when the text makes a box of another class than `expected_class`.
std::unique_ptr<morvhost::Box> create_box(const std::string &text,
                                          const std::string &expected_class);

}  // namespace morvkit
