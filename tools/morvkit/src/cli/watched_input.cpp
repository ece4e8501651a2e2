#include "cli/watched_input.hpp"

#include "cli/commands.hpp"
#include "base/errors.hpp"
#include "process/failure.hpp"
#include "process/interrupt.hpp"
#include "output/output_file.hpp"
#include "output/progress.hpp"

namespace morvkit {
namespace {

// How often the kernel's counts are read: often enough that a stall is seen within a small part
// of any useful timeout, seldom enough to cost nothing.
constexpr auto look_every = std::chrono::milliseconds(50);

ChildReport &fresh(ChildReport &report) {
    report.frames.store(0);
    report.decoding.store(0);
    return report;
}

}  // namespace

WatchedInput::WatchedInput(const std::function<int()> &work, ChildReport &report,
                           double stall_seconds)
    : report_(fresh(report)),
      stall_seconds_(stall_seconds),
      child_(work),
      clock_(stall_seconds, WatchClock::now()),
      looked_(WatchClock::now()) {}

std::optional<int> WatchedInput::poll() {
    if (const auto status = child_.poll())
        return status;
    const auto now = WatchClock::now();
    if (stall_seconds_ <= 0 || now - looked_ < look_every)
        return std::nullopt;
    looked_ = now;
    // Outside the decoder the clock stands still, and the kernel need not be asked.
    const bool decoding = report_.decoding.load() > 0;
    const auto reading = decoding ? read_activity(child_.pid()) : std::nullopt;
    const std::int64_t progress =
        report_.frames.load(std::memory_order_relaxed) + (reading ? reading->bytes : 0);
    const bool busy = !decoding || (reading && reading->waiting_for_disk);
    if (!clock_.stalled(progress, busy, now))
        return std::nullopt;
    stalled_ = true;
    child_.end_at_once();
    return static_cast<int>(ExitStatus::input);
}

int analyse_input(const Options &options, ChildReport &report, const std::string &prefix,
                  bool say_stop) {
    report_progress_to(&report.frames);
    report_decoding_to(&report.decoding);
    try {
        if (options.command == Command::centroid)
            run_centroid_command(options);
        else if (options.command == Command::track)
            run_track_command(options);
        else
            run_pitch_command(options);
        return 0;
    } catch (...) {
        const Failure failure = describe_failure(std::current_exception());
        if (say_stop || interrupt_signal() == 0)
            say_line(prefix + failure.message);
        return failure.status;
    }
}

int run_watched_input(const Options &options) {
    SharedReports reports(1);
    const InterruptChecks checks;
    WatchedInput input([&] { return analyse_input(options, reports[0], "", false); }, reports[0],
                       options.stall_seconds);
    std::optional<int> status;
    while (!(status = input.poll())) {
        check_interrupt();
        pause_briefly();
    }
    check_interrupt();
    if (input.stalled()) {
        remove_stale_temporaries(result_files(options));
        const std::string name =
            is_standard_input(options.input) ? "standard input" : options.input.string();
        throw Error(ExitStatus::input, name + ": " + stall_message(options.stall_seconds));
    }
    return *status;
}

}  // namespace morvkit
