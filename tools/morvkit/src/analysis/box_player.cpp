#include "analysis/box_player.hpp"

#include <algorithm>
#include <span>
#include <vector>

#include "analysis/host_session.hpp"
#include "base/errors.hpp"
#include "morvhost/host.hpp"
#include "process/interrupt.hpp"

namespace morvkit {

std::int64_t play_into_box(morvhost::Box &box, SampleSource &source, BoxPlay &play) {
    if (play.vector_size < 1)
        throw Error(ExitStatus::usage, "the vector size must be at least 1");
    auto &host = morvhost::Host::get();
    const auto vector_size = static_cast<std::size_t>(play.vector_size);
    std::vector<double> block(vector_size);
    morvhost::DspGraph graph;
    graph.add(box);
    graph.connect(
        [&](double *out, long n) {
            std::copy_n(block.begin(), std::min(static_cast<std::size_t>(n), vector_size), out);
        },
        box, 0);
    if (!graph.compile(source.samplerate(), play.vector_size))
        throw Error(ExitStatus::analysis,
                    "cannot compile the signal graph: " + last_console_error());

    const std::int64_t start_samples = host.now_samples();
    std::int64_t done = 0, silence = 0;
    bool started = false, ended = false;
    const InterruptChecks checks;
    while (!ended || silence < play.tail) {
        std::size_t got = 0;
        if (!ended && done < play.needed) {
            const auto want = static_cast<std::size_t>(
                std::min<std::int64_t>(play.vector_size, play.needed - done));
            got = source.read(std::span(block).first(want));
        }
        if (got == 0) {
            ended = true;
            if (silence >= play.tail || done == 0)  // no input, nothing to report late
                break;
            silence += play.vector_size;
        }
        check_interrupt();
        std::fill(block.begin() + static_cast<std::ptrdiff_t>(got), block.end(), 0.0);
        graph.run(1);
        done += static_cast<std::int64_t>(got);
        if (!started) {
            if (play.started)
                play.started(start_samples);
            started = true;
        }
        if (play.processed)
            play.processed(done);
        host.run_scheduler();
        play.delivered(done);
    }
    return done;
}

}  // namespace morvkit
