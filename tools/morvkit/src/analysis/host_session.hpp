// host_session.hpp - the stand-in host prepared for one run of the command.
//
// `prepare_host` points the host at the packages chosen as modules.hpp says.  `create_box` and
// `send_message` act as a user typing into a patch, but strictly: whatever the host says on its
// console against the object while doing so (an unknown attribute, a message it does not
// understand, a bad argument) is an error of the command line, not a remark to scroll past.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "morvhost/host.hpp"

namespace morvkit {

// Loads the packages' extensions and adds their externals folders to the host's search path.
void prepare_host(const std::vector<std::filesystem::path> &user_folders);
// The last console error, or "" when there is none.
std::string last_console_error();
// Throws Error(analysis) with the console's reasons (for instance why a module failed to load)
// when the box cannot be made, Error(usage) when the text makes a box of another class than
// `expected_class`, and Error(usage) naming every console error posted against the new box.
// Other console errors (a module that failed to load where another folder's copy then did) are
// printed on stderr as warnings.
std::unique_ptr<morvhost::Box> create_box(const std::string &text,
                                          const std::string &expected_class);
// Sends a message; Error(usage) naming the console errors when the box refuses or complains.
void send_message(morvhost::Box &box, const std::string &selector, std::vector<t_atom> args);

}  // namespace morvkit
