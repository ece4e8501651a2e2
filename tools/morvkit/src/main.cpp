// morvkit - runs the package's externals on audio files through the stand-in host.
//
// Every failure ends here: one line on stderr, "morvkit: <what went wrong>", and the exit status
// of its kind (errors.hpp).
#include <iostream>
#include <new>

#include "commands.hpp"
#include "errors.hpp"
#include "options.hpp"

int main(int argc, char **argv) {
    using namespace morvkit;
    try {
        const Options options = parse_options(argc, argv);
        switch (options.command) {
            case Command::pitch:
                run_pitch_command(options);
                break;
            case Command::centroid:
                run_centroid_command(options);
                break;
            case Command::demo:
                run_demo_command(options, std::cout);
                break;
        }
        return static_cast<int>(ExitStatus::ok);
    } catch (const HelpRequested &help) {
        std::cout << help.text;
        return static_cast<int>(ExitStatus::ok);
    } catch (const Error &e) {
        std::cerr << "morvkit: " << e.what() << '\n';
        return static_cast<int>(e.status());
    } catch (const std::bad_alloc &) {
        std::cerr << "morvkit: out of memory\n";
        return static_cast<int>(ExitStatus::analysis);
    } catch (const std::exception &e) {
        std::cerr << "morvkit: " << e.what() << '\n';
        return static_cast<int>(ExitStatus::analysis);
    }
}
