// host_fixture.h - shared set-up for the tests that run morv.centroid~ in the stand-in host:
// loading the module and creating boxes inside or outside a pretend pfft~ container.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "centroid.h"
#include "morvhost/host.hpp"

namespace centroid_test {

inline std::string module_path(const char *folder, const char *name) {
    return std::string(folder) + "/" + name + morvhost::Host::module_suffix();
}

inline void load_centroid() {
    std::string error;
    ASSERT_TRUE(morvhost::Host::get().load_module(module_path(MORV_EXTERNALS_DIR, "morv.centroid~"),
                                                  &error))
        << error;
}

inline void load_splash() {
    std::string error;
    ASSERT_TRUE(
        morvhost::Host::get().load_module(module_path(MORV_EXTENSIONS_DIR, "morv.splash"), &error))
        << error;
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
    return *box.as<centroid_t>();
}

}  // namespace centroid_test
