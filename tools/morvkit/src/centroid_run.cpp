#include "centroid_run.hpp"

#include <stdexcept>
#include <vector>

#include "errors.hpp"
#include "host_session.hpp"
#include "morvhost/pfft.hpp"

namespace morvkit {

CentroidResult run_centroid(SampleSource &source, const CentroidSettings &settings,
                            const ProgressCallback &progress) {
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
    CentroidResult result;
    pfft->collect(*box, 0, [&](const morvhost::PfftFrame &frame) {
        // The object writes one value over the whole vector; the first sample is that value.
        result.rows.add_row({frame.time_seconds, frame.values.empty() ? 0.0 : frame.values[0]});
    });
    if (!pfft->compile(source.samplerate()))
        throw Error(ExitStatus::analysis, "cannot compile pfft~: " + last_console_error());

    result.geometry["fft_size"] = pfft->fft_size();
    result.geometry["overlap"] = settings.overlap;
    result.geometry["hop"] = pfft->hop();
    result.geometry["bins"] = pfft->frame_size();
    result.geometry["input"] = settings.amplitude ? "amplitude" : "complex";

    std::vector<double> block(4096);
    std::int64_t done = 0;
    while (const std::size_t got = source.read(block)) {
        pfft->process(std::span<const double>(block.data(), got));
        done += static_cast<std::int64_t>(got);
        if (progress)
            progress(done);
    }
    return result;
}

}  // namespace morvkit
