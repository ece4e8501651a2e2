// morvkit - runs the package's externals on audio files through the stand-in host.
//
// Every failure ends here: one line on stderr, "morvkit: <what went wrong>", and the exit status
// of its kind (base/errors.hpp).  A run stopped by a signal exits with 128 + its number, as a shell
// reports a process that the signal ended.
#include <iostream>

#include "cli/batch.hpp"
#include "cli/commands.hpp"
#include "base/errors.hpp"
#include "process/failure.hpp"
#include "process/interrupt.hpp"
#include "cli/options.hpp"
#include "output/output_file.hpp"
#include "cli/watched_input.hpp"

namespace {

int run(int argc, char **argv) {
    using namespace morvkit;
    Options options;
    try {
        options = parse_options(argc, argv);
    } catch (const HelpRequested &help) {
        print_to_standard_output(help.text);
        return static_cast<int>(ExitStatus::ok);
    }
    if (options.output_dir) {
        run_batch(options);
        return static_cast<int>(ExitStatus::ok);
    }
    remove_stale_temporaries(result_files(options));
    if (options.command == Command::demo) {
        run_demo_command(options);
        return static_cast<int>(ExitStatus::ok);
    }
    return run_watched_input(options);
}

}  // namespace

int main(int argc, char **argv) {
    using namespace morvkit;
    install_interrupt_handlers();
    try {
        return run(argc, argv);
    } catch (...) {
        const Failure failure = describe_failure(std::current_exception());
        std::cerr << "morvkit: " << failure.message << '\n';
        return failure.status;
    }
}
