// box_session.hpp - what the harnesses of one box in a signal graph share: the box typed from
// text as "<class> TEXT", every message of its outlets recorded in order, and the steps that mean
// the same for every class (see script.hpp for the script's form):
//   m TEXT         send TEXT to the box as a message
//   c [VS] [SR]    compile the graph at vector size VS (1..4096) and sample rate SR, starting
//                  audio if it was off
//   s              run the scheduler, then check what was sent
//   o [0|1]        mute or unmute the object in the graph
//   x              switch audio off (the graph goes away)
//   n TEXT         retype the box as "<class> TEXT"
// A harness adds the steps that run audio (each against its own work budget) and the checks of
// its class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "morvhost/host.hpp"
#include "script.hpp"

namespace morvfuzz {

class BoxSession {
  public:
    struct Sent {
        int outlet;
        std::vector<t_atom> atoms;
        // The message's one float, or NaN for anything else.
        double single_float() const;
    };

    BoxSession(std::string class_name, int outlets);
    virtual ~BoxSession() = default;

    void step(char op, std::string_view arg);
    void schedule();

  protected:
    // Retypes the box; call it from the harness's constructor with the script's box text.
    void retype(std::string_view args);
    // A step none of the shared ones is.
    virtual void other_step(char op, std::string_view arg) = 0;
    // What was sent since the last check, in order.
    virtual void check(const std::vector<Sent> &sent) = 0;
    // The box was retyped: whatever the harness tracks of the old one goes.
    virtual void forget() {}
    // Fails if the object used an outlet from the audio thread.
    static void check_audio_thread();

    morvhost::Box *box() const { return box_.get(); }
    morvhost::DspGraph &graph() { return *graph_; }
    bool playing() const { return box_ && graph_ && compiled_; }
    long vector() const { return vector_; }
    Pattern pattern_;  // the signal the graph feeds the box

  private:
    void compile(std::string_view arg);

    std::string class_name_;
    int outlets_;
    std::shared_ptr<std::vector<Sent>> sent_ = std::make_shared<std::vector<Sent>>();
    std::unique_ptr<morvhost::Box> box_;
    std::unique_ptr<morvhost::DspGraph> graph_;  // after the box: it goes first
    bool compiled_ = false;
    long vector_ = 64;
};

// One fuzz input for a harness's session: the script played, the scheduler run at the end, and,
// once the box is freed, no clock of it left set.
template <class Session>
int run_input(const std::uint8_t *data, std::size_t size) {
    morvhost::Host::get().clear_console();
    Script script(data, size);
    {
        Session session(script.box_text());
        script.play(session);
        session.schedule();
    }
    if (morvhost::Host::get().pending_clocks() != 0)
        fail("%d clocks still set after the box was freed", morvhost::Host::get().pending_clocks());
    return 0;
}

}  // namespace morvfuzz
