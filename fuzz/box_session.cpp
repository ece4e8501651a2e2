#include "box_session.hpp"

#include <cmath>
#include <utility>

namespace morvfuzz {

namespace {
constexpr long max_vector = 4096;
}

double BoxSession::Sent::single_float() const {
    return atoms.size() == 1 && atom_gettype(&atoms[0]) == A_FLOAT ? atom_getfloat(&atoms[0])
                                                                   : std::nan("");
}

BoxSession::BoxSession(std::string class_name, int outlets)
    : class_name_(std::move(class_name)), outlets_(outlets) {}

void BoxSession::step(char op, std::string_view arg) {
    switch (op) {
        case 'm':
            if (box_)
                box_->send_text(arg);
            break;
        case 'c':
            compile(arg);
            break;
        case 's':
            schedule();
            break;
        case 'o':
            if (box_)
                box_->set_dsp_enabled(arg.empty() || arg.front() != '0');
            break;
        case 'x':
            graph_.reset();
            break;
        case 'n':
            retype(arg);
            break;
        default:
            other_step(op, arg);
            break;
    }
}

void BoxSession::schedule() {
    morvhost::Host::get().run_scheduler();
    check(*sent_);
    sent_->clear();
}

void BoxSession::retype(std::string_view args) {
    graph_.reset();
    box_.reset();
    sent_->clear();
    forget();
    box_ = morvhost::Box::create(class_name_ + " " + std::string(args));
    if (!box_)
        return;
    for (int i = 0; i < outlets_; ++i)
        box_->outlet(i).on_message([sent = sent_, i](const morvhost::Message &m) {
            sent->push_back({i, m.atoms});
        });
}

void BoxSession::compile(std::string_view arg) {
    if (!box_)
        return;
    vector_ = into_range(take_long(arg, 64), max_vector);
    const double samplerate = take_double(arg, 44100);
    if (!graph_) {
        graph_ = std::make_unique<morvhost::DspGraph>();
        graph_->connect([this](double *out, long n) { pattern_.fill(out, n); }, *box_, 0);
    }
    compiled_ = graph_->compile(samplerate, vector_);
}

void BoxSession::check_audio_thread() {
    if (morvhost::Host::get().console_has("from the audio thread"))
        fail("an outlet was used from the audio thread");
}

}  // namespace morvfuzz
