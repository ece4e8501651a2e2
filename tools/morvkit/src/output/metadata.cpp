#include "output/metadata.hpp"

namespace morvkit {
namespace {

Json fields_of(const PitchSettled &settled) {
    const auto &g = settled.geometry;
    const auto &p = settled.parameters;
    Json fields;
    fields["geometry"] = {{"down", g.down},
                          {"analysis_rate", g.analysis_rate},
                          {"max_lag", g.max_lag},
                          {"window_size", g.window_size},
                          {"hop_size", g.hop_size}};
    fields["parameters"] = {
        {"down", p.down}, {"minfreq", p.minfreq}, {"period", p.period}, {"threshold", p.threshold}};
    return fields;
}

Json fields_of(const CentroidSettled &settled) {
    Json fields;
    fields["geometry"] = {{"fft_size", settled.fft_size},
                          {"overlap", settled.overlap},
                          {"hop", settled.hop},
                          {"bins", settled.bins},
                          {"input", settled.amplitude ? "amplitude" : "complex"}};
    return fields;
}

Json fields_of(const TrackSettled &settled) {
    Json fields;
    fields["parameters"] = {{"fmin", settled.fmin}, {"fmax", settled.fmax},
                            {"lag", settled.lag},   {"unit", settled.unit},
                            {"a4", settled.a4},     {"delay", settled.delay}};
    return fields;
}

}  // namespace

Json settled_fields(const Settled &settled) {
    return std::visit([](const auto &run) { return fields_of(run); }, settled);
}

Json describe_range(const PitchRange &range, const RangeChoice &choice) {
    Json described = Json::object();
    if (range.fmin)
        described["fmin"] = *range.fmin;
    if (range.fmax)
        described["fmax"] = *range.fmax;
    if (choice.down)
        described["down"] = *choice.down;
    if (choice.minfreq)
        described["minfreq"] = *choice.minfreq;
    return described;
}

}  // namespace morvkit
