#include "cli/batch.hpp"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "process/child_process.hpp"
#include "cli/commands.hpp"
#include "base/errors.hpp"
#include "process/failure.hpp"
#include "process/interrupt.hpp"
#include "cli/manifest.hpp"
#include "output/output_file.hpp"
#include "output/progress.hpp"
#include "cli/watched_input.hpp"

namespace morvkit {
namespace {

struct Job {
    std::filesystem::path input, result;
};

// Every input's result, refusing two inputs with one result name.
std::vector<Job> jobs_of(const Options &options) {
    std::vector<Job> jobs;
    std::map<std::filesystem::path, std::filesystem::path> taken;
    for (const auto &input : options.inputs) {
        const auto name = result_name(input, options.command, options.format);
        const auto [at, fresh] = taken.emplace(name, input);
        if (!fresh)
            throw Error(ExitStatus::usage, "'" + at->second.string() + "' and '" + input.string() +
                                               "' would both write " + name.string() +
                                               " in --output-dir");
        jobs.push_back({input, *options.output_dir / name});
    }
    return jobs;
}

// One input's own options: its result in the folder, quiet, `jobs` processes.
Options options_of(const Options &options, const Job &job, int jobs) {
    Options one = options;
    one.input = job.input;
    one.inputs = {job.input};
    one.output = job.result;
    if (options.command == Command::track && options.track.notes_format)
        one.track.notes = *options.output_dir / notes_name(job.input, *options.track.notes_format);
    one.output_dir.reset();
    one.quiet = true;
    one.jobs = jobs;
    return one;
}

// The folder of the results, made if missing and claimed for these settings.
void prepare_output_folder(const Options &options) {
    std::error_code ec;
    std::filesystem::create_directories(*options.output_dir, ec);
    if (ec || !std::filesystem::is_directory(*options.output_dir))
        throw Error(ExitStatus::output, "cannot make the folder '" + options.output_dir->string() +
                                            "' for the results" + (ec ? ": " + ec.message() : ""));
    claim_output_folder(options);
}

// The shard's inputs still to analyse, and how many of its results exist already.
struct Work {
    std::vector<Job> todo;
    std::size_t skipped = 0;
};

Work work_of(const Options &options, const std::vector<Job> &all) {
    Work work;
    std::vector<std::filesystem::path> results;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!options.shard.takes(i))
            continue;
        results.push_back(all[i].result);
        if (!options.force &&
            std::filesystem::exists(std::filesystem::symlink_status(all[i].result)))
            ++work.skipped;
        else
            work.todo.push_back(all[i]);
    }
    // What a killed run left of this shard's results, kept or to be written again.
    remove_stale_temporaries(results);
    return work;
}

// Runs the inputs, --jobs processes at once, each watched for stalls; returns each one's exit
// status, its failure already said.
std::vector<int> run_inputs(const Options &options, const std::vector<Job> &todo) {
    const std::size_t at_once = std::min<std::size_t>(static_cast<std::size_t>(options.jobs),
                                                      std::max<std::size_t>(todo.size(), 1));
    // Jobs beyond one per running input go to segments of those inputs.
    const int per_input = std::max(1, options.jobs / static_cast<int>(at_once));
    SharedReports reports(at_once);
    std::vector<std::unique_ptr<WatchedInput>> running(at_once);
    std::vector<int> status(todo.size(), 0);
    std::vector<std::size_t> job_in_slot(at_once);
    std::size_t next = 0, done = 0;
    std::int64_t frames_finished = 0;
    ProgressBar bar(static_cast<std::int64_t>(todo.size()),
                    !options.quiet && isatty(STDERR_FILENO) != 0);
    const InterruptChecks checks;
    while (done < todo.size()) {
        check_interrupt();
        std::int64_t frames = frames_finished;
        for (std::size_t slot = 0; slot < at_once; ++slot) {
            if (running[slot]) {
                const std::int64_t counted = reports[slot].frames.load(std::memory_order_relaxed);
                const auto ended = running[slot]->poll();
                if (!ended) {
                    frames += counted;
                    continue;
                }
                // Read again: the child may have counted its last frames since.
                const std::int64_t last = reports[slot].frames.load(std::memory_order_relaxed);
                frames_finished += last;
                frames += last;
                const Job &job = todo[job_in_slot[slot]];
                if (running[slot]->stalled()) {
                    remove_stale_temporaries({job.result});
                    say_line(job.input.string() + ": " + stall_message(options.stall_seconds));
                }
                status[job_in_slot[slot]] = *ended;
                running[slot].reset();
                ++done;
            }
            if (next < todo.size()) {
                job_in_slot[slot] = next;
                const Options one = options_of(options, todo[next], per_input);
                running[slot] = std::make_unique<WatchedInput>(
                    [&, one, slot] {
                        return analyse_input(one, reports[slot], one.input.string() + ": ", true);
                    },
                    reports[slot], options.stall_seconds);
                ++next;
            }
        }
        bar.update(static_cast<std::int64_t>(done), std::to_string(done) + " of " +
                                                        std::to_string(todo.size()) + " files, " +
                                                        std::to_string(frames) + " samples");
        if (done < todo.size())
            pause_briefly();
    }
    bar.finish();
    return status;
}

// Fails with the first failure's status and a line counting them; else says what was skipped.
void report_outcome(const Options &options, const std::vector<int> &status, std::size_t skipped) {
    const auto failed = static_cast<std::size_t>(
        std::count_if(status.begin(), status.end(), [](int s) { return s != 0; }));
    const std::string counts = std::to_string(status.size() - failed) + " analysed, " +
                               std::to_string(skipped) + " skipped (result exists)";
    if (failed > 0) {
        const int first = *std::find_if(status.begin(), status.end(), [](int s) { return s != 0; });
        throw Error(exit_status_of(first), std::to_string(failed) + " of " +
                                               std::to_string(status.size()) +
                                               " files failed (named above); " + counts);
    }
    if (skipped > 0 && !options.quiet)
        std::cerr << "morvkit: " << counts << '\n';
}

}  // namespace

void run_batch(const Options &options) {
    const std::vector<Job> all = jobs_of(options);
    prepare_output_folder(options);
    const Work work = work_of(options, all);
    report_outcome(options, run_inputs(options, work.todo), work.skipped);
}

}  // namespace morvkit
