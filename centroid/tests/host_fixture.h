// host_fixture.h - what the tests that run morv.centroid~ in the stand-in host add to the shared
// module fixture: loading the object and its companion, and creating boxes inside or outside a
// pretend pfft~ container.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

#include "centroid.h"
#include "module_fixture.h"
#include "morvhost/host.hpp"

namespace centroid_test {

inline void load_centroid() {
    morvtest::load_module("morv.centroid~");
}

inline void load_splash() {
    morvtest::load_module("morv.splash", morvtest::Folder::extensions);
}

// Stands in for a pfft~: an object whose address is bound to "__pfft~__" for one scope, the way
// the container binds itself while it builds its inner patch.
class ContainerBinding {
  public:
    explicit ContainerBinding(t_object *container) : previous_(symbol()->s_thing) {
        symbol()->s_thing = container;
    }
    ~ContainerBinding() { symbol()->s_thing = previous_; }
    ContainerBinding(const ContainerBinding &) = delete;
    ContainerBinding &operator=(const ContainerBinding &) = delete;

  private:
    static t_symbol *symbol() { return gensym("__pfft~__"); }
    t_object *previous_;
};

inline t_object *fake_container() {
    static t_object container{};
    return &container;
}

inline std::unique_ptr<morvhost::Box> create_inside(std::string_view text = "morv.centroid~") {
    ContainerBinding bound(fake_container());
    return morvhost::Box::create(text);
}

inline centroid_t &record(morvhost::Box &box) {
    return morvtest::record<centroid_t>(box);
}

}  // namespace centroid_test
