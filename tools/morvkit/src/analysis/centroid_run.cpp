#include "analysis/centroid_run.hpp"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

#include "base/errors.hpp"
#include "analysis/host_session.hpp"
#include "process/interrupt.hpp"
#include "morvhost/pfft.hpp"

namespace morvkit {

std::int64_t run_centroid(SampleSource &source, const CentroidSettings &settings,
                          RunObserver &observer) {
    std::unique_ptr<morvhost::Pfft> pfft;
    try {
        pfft = std::make_unique<morvhost::Pfft>(settings.fft_size, settings.overlap);
    } catch (const std::invalid_argument &e) {
        throw Error(ExitStatus::usage, std::string("pfft~ refuses this geometry: ") + e.what());
    }
    auto &host = morvhost::Host::get();
    host.clear_console();
    morvhost::Box *box = pfft->create("morv.centroid~");
    if (!box)
        throw Error(ExitStatus::analysis,
                    "cannot create the box \"morv.centroid~\": " + last_console_error());
    if (settings.amplitude) {
        pfft->feed_amplitude(*box, 0);
    } else {
        pfft->feed_real(*box, 0);
        pfft->feed_imag(*box, 1);
    }
    // Frames wait here until the container returns, so that the observer may throw.
    const Segment &segment = settings.segment;
    const double samplerate = source.samplerate();
    const std::int64_t hop = pfft->hop();
    std::vector<std::array<double, 2>> delivered;
    pfft->collect(*box, 0, [&](const morvhost::PfftFrame &frame) {
        const std::int64_t first = segment.first_frame + frame.first_sample;
        if (!segment.keeps(first + hop))
            return;
        // The container's own formula, at the frame's place in the whole input.
        const double centre =
            static_cast<double>(first) + static_cast<double>(settings.fft_size) / 2;
        // The object writes one value over the whole vector; the first sample is that value.
        delivered.push_back({centre / samplerate, frame.values.empty() ? 0.0 : frame.values[0]});
    });
    if (!pfft->compile(source.samplerate()))
        throw Error(ExitStatus::analysis, "cannot compile pfft~: " + last_console_error());

    const CentroidSettled settled{pfft->fft_size(), settings.overlap, pfft->hop(),
                                  pfft->frame_size(), settings.amplitude};

    // The stream is handed over a hop at a time (at most a block), so that a signal is seen
    // between two frames even when each frame is costly.
    std::vector<double> block(4096);
    const auto step = std::min(block.size(), static_cast<std::size_t>(hop));
    // A frame reaches fft_size - hop frames past the end of its hop.
    const std::int64_t needed = segment.frames_needed(pfft->fft_size() - hop);
    std::int64_t done = 0;
    bool started = false;
    const InterruptChecks checks;
    while (done < needed) {
        const auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(block.size(), needed - done));
        const std::size_t got = source.read(std::span(block).first(want));
        if (got == 0)
            break;
        if (!started) {
            observer.start(settled);
            started = true;
        }
        for (std::size_t at = 0; at < got; at += step) {
            check_interrupt();
            const std::size_t n = std::min(step, got - at);
            pfft->process(std::span<const double>(block.data() + at, n));
            for (const auto &row : delivered) observer.row(row);
            delivered.clear();
            observer.progress(done + static_cast<std::int64_t>(at + n));
        }
        done += static_cast<std::int64_t>(got);
    }
    return done;
}

}  // namespace morvkit
