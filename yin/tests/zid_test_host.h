// Shared set-up of the zid~ tests that run the module in the stand-in host: loading the module,
// typing boxes, reading the record, and recording what the outlets send in order.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "morvhost/host.hpp"
#include "yin.h"

namespace zid_test {

inline void load_zid() {
    static const bool loaded = [] {
        std::string error;
        const bool ok = morvhost::Host::get().load_module(
            std::string(MORV_EXTERNALS_DIR) + "/zid~" + morvhost::Host::module_suffix(), &error);
        if (!ok)
            ADD_FAILURE() << "zid~ did not load: " << error;
        return ok;
    }();
    ASSERT_TRUE(loaded);
}

inline std::unique_ptr<morvhost::Box> make_box(std::string_view text) {
    load_zid();
    auto box = morvhost::Box::create(text);
    EXPECT_TRUE(box) << text;
    return box;
}

inline yin_t &record(morvhost::Box &box) {
    return *box.as<yin_t>();
}

// One sent float: which outlet (0 left), its value and the host's logical time of sending.
struct Sent {
    int outlet;
    double value;
    std::int64_t time_samples;
};

// Records every float of the three outlets in the order in which they are sent.
class OutletLog {
  public:
    explicit OutletLog(morvhost::Box &box) : sent_(std::make_shared<std::vector<Sent>>()) {
        for (int i = 0; i < 3; ++i)
            box.outlet(i).on_message([log = sent_, i](const morvhost::Message &m) {
                log->push_back(
                    {i, m.atoms.empty() ? 0.0 : atom_getfloat(&m.atoms[0]), m.time_samples});
            });
    }
    const std::vector<Sent> &sent() const { return *sent_; }
    size_t analyses() const { return sent_->size() / 3; }
    void clear() { sent_->clear(); }

  private:
    std::shared_ptr<std::vector<Sent>> sent_;
};

inline int run_scheduler() {
    return morvhost::Host::get().run_scheduler();
}

}  // namespace zid_test
