#include "analysis/track_run.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

#include "analysis/box_player.hpp"
#include "analysis/host_session.hpp"
#include "base/errors.hpp"
#include "base/number_text.hpp"
#include "morvhost/host.hpp"

namespace morvkit {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// One attribute, read through the host as a patch would read it.
t_atom attribute(morvhost::Box &box, std::string_view name) {
    const auto atoms = box.get_attr(name);
    if (atoms.empty())
        throw Error(ExitStatus::analysis,
                    "morv.track~ does not report its attribute \"" + std::string(name) + "\"");
    return atoms[0];
}

double number(morvhost::Box &box, std::string_view name) {
    const t_atom atom = attribute(box, name);
    return atom_getfloat(&atom);
}

TrackSettled settled_of(morvhost::Box &box) {
    t_atom unit = attribute(box, "unit");
    const t_symbol *symbol = atom_getsym(&unit);
    return {number(box, "fmin"), number(box, "fmax"),
            number(box, "lag"),  symbol && symbol->s_name ? symbol->s_name : "",
            number(box, "a4"),   number(box, "delay")};
}

// The delay in input frames, from the milliseconds the box reports; a delay the host could not
// hold (NaN, infinite, negative, beyond an hour) is the object's fault, not the input's.
std::int64_t delay_frames(double delay_ms, double samplerate) {
    const double frames = std::round(delay_ms * samplerate / 1000);
    if (!(frames >= 0 && frames <= 3600 * samplerate))
        throw Error(ExitStatus::analysis,
                    "morv.track~ reports a delay of " + format_number(delay_ms) + " ms");
    return static_cast<std::int64_t>(frames);
}

}  // namespace

std::int64_t run_track(SampleSource &source, const TrackSettings &settings, RunObserver &observer,
                       const NoteReceiver &notes) {
    // The box goes with this call: its outlets' handlers hold the call's locals, and it must
    // outlive the graph that runs it.
    const std::unique_ptr<morvhost::Box> box = create_box(settings.box_text, "morv.track~");
    const double samplerate = source.samplerate();
    // What one scheduler pass delivered: frames (the left outlet completes one) and the note
    // events that came before each.  They wait here until the scheduler returns: the observer may
    // throw, and nothing may unwind through the object's own routines.
    struct Frame {
        double frequency, voicing;
        std::size_t events_before;
    };
    std::vector<Frame> frames;
    std::vector<std::array<long, 2>> events;
    double voicing = nan;
    std::int64_t start_samples = 0, delivered_at = 0, delay = 0, done = 0;
    box->outlet(2).on_message([&](const morvhost::Message &m) {
        if (m.atoms.size() >= 2)
            events.push_back({atom_getlong(&m.atoms[0]), atom_getlong(&m.atoms[1])});
        delivered_at = m.time_samples - start_samples;
    });
    box->outlet(1).on_message([&](const morvhost::Message &m) {
        if (!m.atoms.empty())
            voicing = atom_getfloat(&m.atoms[0]);
    });
    box->outlet(0).on_message([&](const morvhost::Message &m) {
        frames.push_back(
            {m.atoms.empty() ? nan : atom_getfloat(&m.atoms[0]), voicing, events.size()});
        voicing = nan;
        delivered_at = m.time_samples - start_samples;
    });

    // Frame i of the k a pass delivered, in input frames: where its sound is.
    const auto frame_time = [&](std::size_t i, std::size_t k) {
        const double spread = static_cast<double>(settings.vector_size) *
                              static_cast<double>(k - 1 - i) / static_cast<double>(k);
        return static_cast<double>(delivered_at - delay) - spread;
    };
    const auto send_events = [&](std::size_t from, std::size_t to, double time) {
        const double within = std::fmin(std::fmax(time, 0.0), static_cast<double>(done));
        for (std::size_t e = from; e < to; ++e)
            notes({within / samplerate, events[e][0], events[e][1]});
    };

    BoxPlay play;
    play.vector_size = settings.vector_size;
    play.needed = std::numeric_limits<std::int64_t>::max();
    play.started = [&](std::int64_t at) {
        start_samples = at;
        const TrackSettled settled = settled_of(*box);
        delay = delay_frames(settled.delay, samplerate);
        play.tail = delay;
        observer.start(settled);
    };
    play.processed = [&](std::int64_t frames_read) { done = frames_read; };
    play.delivered = [&](std::int64_t) {
        for (int i = 0; i < 3; ++i) box->outlet(i).clear();
        std::size_t sent = 0;
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const double time = frame_time(i, frames.size());
            send_events(sent, frames[i].events_before, time);
            sent = frames[i].events_before;
            if (time >= 0 && time < static_cast<double>(done)) {
                const double f = frames[i].frequency + 0.0;  // -0 (no pitch, negated) as 0
                const std::array<double, 4> row{time / samplerate, f, frames[i].voicing,
                                                f > 0 ? 1.0 : 0.0};
                observer.row(row);
            }
        }
        // Events after the last frame (an end of note alone) belong to the pass's end.
        send_events(sent, events.size(), frame_time(0, 1));
        frames.clear();
        events.clear();
        observer.progress(done);
    };
    return play_into_box(*box, source, play);
}

}  // namespace morvkit
