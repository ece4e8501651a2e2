// module_fixture.h - how the externals' tests reach the stand-in host: loading the package's
// modules as this build made them, typing boxes, reading an object's record, and logging what
// the outlets send, in order.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "morvhost/host.hpp"

namespace morvtest {

enum class Folder { externals, extensions };

// Loads the module of class `name` from the build's externals (or extensions) folder; the host
// loads a module once, so calling again is cheap.  Fails the calling test when it does not load.
inline void load_module(const std::string &name, Folder folder = Folder::externals) {
    const std::string dir = folder == Folder::externals ? MORV_EXTERNALS_DIR : MORV_EXTENSIONS_DIR;
    std::string error;
    ASSERT_TRUE(morvhost::Host::get().load_module(
        dir + "/" + name + morvhost::Host::module_suffix(), &error))
        << name << " did not load: " << error;
}

// A box typed as `text`, its class (the first word) loaded from externals first; null, with a
// failure, when it cannot be made.
inline std::unique_ptr<morvhost::Box> make_box(std::string_view text) {
    load_module(std::string(text.substr(0, text.find(' '))));
    auto box = morvhost::Box::create(text);
    EXPECT_TRUE(box) << text;
    return box;
}

// The object's own record, as its module declares it.
template <class Record>
Record &record(morvhost::Box &box) {
    return *box.as<Record>();
}

// One sent float: which outlet (0 left), its value and the host's logical time of sending.
struct Sent {
    int outlet;
    double value;
    std::int64_t time_samples;
};

// Records every float of the box's outlets in the order in which they are sent.
class OutletLog {
  public:
    explicit OutletLog(morvhost::Box &box)
        : outlets_(box.outlets()), sent_(std::make_shared<std::vector<Sent>>()) {
        for (int i = 0; i < outlets_; ++i)
            box.outlet(i).on_message([log = sent_, i](const morvhost::Message &m) {
                log->push_back(
                    {i, m.atoms.empty() ? 0.0 : atom_getfloat(&m.atoms[0]), m.time_samples});
            });
    }
    const std::vector<Sent> &sent() const { return *sent_; }
    // Results that send one float on every outlet: how many were sent.
    size_t analyses() const { return outlets_ > 0 ? sent_->size() / outlets_ : 0; }
    void clear() { sent_->clear(); }

  private:
    int outlets_;
    std::shared_ptr<std::vector<Sent>> sent_;
};

inline int run_scheduler() {
    return morvhost::Host::get().run_scheduler();
}

}  // namespace morvtest
